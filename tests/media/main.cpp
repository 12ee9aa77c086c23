// The music control delivers its events from the Qt event loop, so the tests
// run inside a QCoreApplication. Every control a test makes plays into a
// fake sink: no sound, no sound card needed.
#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  qputenv("LUMICASTER_AUDIO_SINK", "fakeaudiosink");
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
