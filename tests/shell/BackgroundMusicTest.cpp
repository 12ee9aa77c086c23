// The background music keys on the real music control (fake audio sink).
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>

#include "common/suite/SuiteMessages.h"
#include "shell/main/BackgroundMusic.h"
#include "tests/media/TestMedia.h"
#include "tests/support/QtPrinters.h"

using namespace lumi;
using media::MusicPlayerControl;
using shell::BackgroundMusic;

namespace {

class BackgroundMusicKeys : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"a.wav", "b.wav"}) {
      const QString file = dir_.filePath(name);
      ASSERT_EQ(test::writeTone(file, "wavenc", 3.0), QString());
      files_ << file;
    }
    music_.SetPlaylist(files_);
  }
  bool playingFile(const QString& file) {
    return QTest::qWaitFor([&] { return control_.FileName() == file && control_.playState() == 2; }, 5000);
  }

  QTemporaryDir dir_;
  QStringList files_;
  MusicPlayerControl control_;
  BackgroundMusic music_{control_};
};

TEST_F(BackgroundMusicKeys, PlayPauseStopAndTheItemKeys) {
  EXPECT_TRUE(music_.OnKey(suite::KeyPlay));
  ASSERT_TRUE(playingFile(files_[0]));
  EXPECT_TRUE(music_.playing());

  music_.OnKey(suite::KeyPause);
  EXPECT_TRUE(music_.paused());
  EXPECT_TRUE(QTest::qWaitFor([&] { return control_.playState() == 1; }, 5000));
  music_.OnKey(suite::KeyPause);  // paused: Pause plays again
  EXPECT_FALSE(music_.paused());
  EXPECT_TRUE(playingFile(files_[0]));

  music_.OnKey(suite::KeyChannelUp);
  EXPECT_EQ(music_.current(), 0) << "no wrap at the first item";
  music_.OnKey(suite::KeyChannelDown);
  EXPECT_TRUE(playingFile(files_[1]));
  music_.OnKey(suite::KeyChannelDown);
  EXPECT_EQ(music_.current(), 0) << "after the last item comes the first";
  EXPECT_TRUE(playingFile(files_[0]));

  music_.OnKey(suite::KeyStop);
  EXPECT_TRUE(music_.stoppedByUser());
  EXPECT_FALSE(music_.playing());
  EXPECT_TRUE(QTest::qWaitFor([&] { return control_.playState() == 0; }, 5000));
  EXPECT_FALSE(music_.OnKey(suite::KeyDigit1)) << "not a music key";
}

TEST_F(BackgroundMusicKeys, SeekingAndStoppingAfterAsking) {
  music_.OnKey(suite::KeyPlay);
  ASSERT_TRUE(playingFile(files_[0]));
  ASSERT_TRUE(QTest::qWaitFor([&] { return control_.CurrentPosition() > 0.2; }, 5000));
  music_.OnKey(suite::KeyRewind);
  EXPECT_LT(control_.CurrentPosition(), 0.5) << "at 10 s or less, Rewind goes to the start";

  int asked = 0;
  music_.OnKey(suite::KeyColourC, [&] { return ++asked, false; });
  EXPECT_EQ(asked, 1);
  EXPECT_TRUE(music_.playing()) << "the answer was no";
  music_.OnKey(suite::KeyColourC, [&] { return ++asked, true; });
  EXPECT_FALSE(music_.playing());
  EXPECT_TRUE(QTest::qWaitFor([&] { return control_.openState() == 0; }, 5000));
  music_.OnKey(suite::KeyColourC, [&] { return ++asked, true; });
  EXPECT_EQ(asked, 2) << "no question while no music plays";
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("LUMICASTER_AUDIO_SINK", "fakeaudiosink");
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
