#include <gst/gst.h>
#include <gtest/gtest.h>

#include <QGuiApplication>

int main(int argc, char** argv) {
  // Fonts need a GUI application; no test here opens a window.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  gst_init(&argc, &argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
