#include <gtest/gtest.h>

#include <QCoreApplication>

// The reader thread hands its codes over through queued signals, which need
// this thread's event loop.
int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
