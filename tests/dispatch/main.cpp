#include <gtest/gtest.h>

#include <QApplication>
#include <cstdio>

#include "tests/support/TestPaths.h"
#include "tests/support/XServer.h"

// One private X server for the whole program, started before the
// application so that the test process is a real X client on it: the
// dispatcher's windows are X windows there, and the synthetic input the tests
// cause never leaves it.
int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  lumi::test::PrivateEnvironment environment;
  const bool openbox = qEnvironmentVariable("LUMI_DISPATCH_WM") == "openbox";
  lumi::test::XServer server(openbox ? lumi::test::XServer::WindowManager::Openbox
                                     : lumi::test::XServer::WindowManager::None);
  if (!server.ok()) {
    std::fprintf(stderr, "no private X server: %s\n", qPrintable(server.error()));
    return 1;
  }
  qputenv("QT_QPA_PLATFORM", "xcb");
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
