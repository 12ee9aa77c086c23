// The shell frame's volume runs against the real music control too, whose
// events come through the Qt event loop; it plays into a fake sink.
#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  qputenv("LUMICASTER_AUDIO_SINK", "fakeaudiosink");
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
