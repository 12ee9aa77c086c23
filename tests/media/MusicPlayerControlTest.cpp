// The music control on real playbin pipelines playing files encoded at test
// time into a fake sink: states and their order, position, seeking, pause,
// the end of a file, a playlist driven from the end-of-stream event, files
// that cannot be played, and the volume scale.
#include "platform/media/MusicPlayerControl.h"
#include "tests/media/TestMedia.h"
#include "tests/support/QtPrinters.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

namespace lumi::media {
namespace {

struct Event {
  enum Kind { OpenChange, PlayChange, End, Error } kind;
  int from = 0;
  int to = 0;
  QString text;
};

// Everything the control reported, in order.
struct Recorder {
  std::vector<Event> events;

  explicit Recorder(MusicPlayerControl& control) {
    QObject::connect(&control, &MusicPlayerControl::openStateChanged,
                     [this](int from, int to) { events.push_back({Event::OpenChange, from, to, {}}); });
    QObject::connect(&control, &MusicPlayerControl::playStateChanged,
                     [this](int from, int to) { events.push_back({Event::PlayChange, from, to, {}}); });
    QObject::connect(&control, &MusicPlayerControl::endOfStream,
                     [this](int result) { events.push_back({Event::End, 0, result, {}}); });
    QObject::connect(&control, &MusicPlayerControl::errorOccurred,
                     [this](const QString& text) { events.push_back({Event::Error, 0, 0, text}); });
  }

  std::vector<int> states(Event::Kind kind) const {
    std::vector<int> out;
    for (const Event& e : events)
      if (e.kind == kind) out.push_back(e.to);
    return out;
  }
  int count(Event::Kind kind) const {
    int n = 0;
    for (const Event& e : events) n += e.kind == kind;
    return n;
  }
  void clear() { events.clear(); }
};

constexpr double kToneSeconds = 2.0;

class MediaFiles : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new QTemporaryDir;
    ASSERT_TRUE(dir_->isValid());
    struct Make {
      const char* name;
      const char* encoder;
      double seconds;
    } const files[] = {
        {"tone.wav", "wavenc", kToneSeconds},
        {"tone.mp3", "lamemp3enc ! xingmux", kToneSeconds},
        {"short-a.wav", "wavenc", 0.4},
        {"short-b.mp3", "lamemp3enc ! xingmux", 0.4},
    };
    for (const Make& f : files) {
      const QString problem = test::writeTone(dir_->filePath(f.name), f.encoder, f.seconds);
      ASSERT_TRUE(problem.isEmpty()) << f.name << ": " << problem.toStdString();
    }
    QFile garbage(dir_->filePath("garbage.mp3"));
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    QByteArray noise;
    for (int i = 0; i < 4096; ++i) noise.append(char((i * 7919 + 13) % 251));
    garbage.write(noise);
    garbage.close();
    QFile empty(dir_->filePath("empty.wav"));
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();
    ASSERT_TRUE(QDir(dir_->path()).mkdir("folder.mp3"));
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }
  static QString file(const char* name) { return dir_->filePath(QString::fromLatin1(name)); }

  static QTemporaryDir* dir_;
};
QTemporaryDir* MediaFiles::dir_ = nullptr;

class Playback : public MediaFiles, public ::testing::WithParamInterface<const char*> {};

TEST_P(Playback, OpensPlaysSeeksPausesAndEnds) {
  MusicPlayerControl control;
  ASSERT_TRUE(control.isValid());
  EXPECT_EQ(control.audioSinkName(), "fakeaudiosink");
  Recorder rec(control);
  control.setVolume(-2000);
  // The music screen sets its slider's range when the file is open.
  double durationWhenOpen = -1.0;
  QObject::connect(&control, &MusicPlayerControl::openStateChanged, [&](int, int state) {
    if (state == OpenOpen) durationWhenOpen = control.Duration();
  });

  control.Open(file(GetParam()));
  EXPECT_EQ(control.FileName(), file(GetParam()));
  EXPECT_EQ(control.openState(), OpenOpening);
  ASSERT_TRUE(QTest::qWaitFor([&] { return control.playState() == PlayPlaying; }, 5000));
  EXPECT_EQ(rec.states(Event::OpenChange), (std::vector<int>{OpenOpening, OpenOpen}));
  EXPECT_EQ(rec.states(Event::PlayChange), (std::vector<int>{PlayPlaying}));
  EXPECT_NEAR(control.Duration(), kToneSeconds, 0.1);
  EXPECT_NEAR(durationWhenOpen, kToneSeconds, 0.1);
  EXPECT_NEAR(control.appliedLinearVolume(), 0.1, 1e-6) << "the volume outlives opening a file";

  // Playing moves the position on.
  ASSERT_TRUE(QTest::qWaitFor([&] { return control.CurrentPosition() > 0.15; }, 3000));
  EXPECT_LT(control.CurrentPosition(), 1.0) << "no seek yet";

  // A seek reads back at once, and playing goes on from there.
  QElapsedTimer sinceSeek;
  sinceSeek.start();
  control.setCurrentPosition(1.0);
  EXPECT_DOUBLE_EQ(control.CurrentPosition(), 1.0);
  QTest::qWait(150);
  EXPECT_GE(control.CurrentPosition(), 1.0);
  EXPECT_LE(control.CurrentPosition(), 1.0 + sinceSeek.elapsed() / 1000.0 + 0.05);

  // Paused, the position stands still.
  control.Pause();
  EXPECT_EQ(control.playState(), PlayPaused);
  QTest::qWait(100);
  const double pausedAt = control.CurrentPosition();
  QTest::qWait(300);
  EXPECT_NEAR(control.CurrentPosition(), pausedAt, 0.02);

  rec.clear();
  control.Play();
  ASSERT_TRUE(QTest::qWaitFor([&] { return rec.count(Event::End) == 1; }, 4000));
  // Playing again, then stopped at the end, and only then the end event.
  ASSERT_EQ(rec.events.size(), 3u);
  EXPECT_EQ(rec.events[0].kind, Event::PlayChange);
  EXPECT_EQ(rec.events[0].to, PlayPlaying);
  EXPECT_EQ(rec.events[1].kind, Event::PlayChange);
  EXPECT_EQ(rec.events[1].from, PlayPlaying);
  EXPECT_EQ(rec.events[1].to, PlayStopped);
  EXPECT_EQ(rec.events[2].kind, Event::End);

  // The file stays open, rewound.
  EXPECT_EQ(control.openState(), OpenOpen);
  QTest::qWait(100);
  EXPECT_NEAR(control.CurrentPosition(), 0.0, 0.05);
  EXPECT_EQ(rec.count(Event::Error), 0);

  // Play after the end starts the file again from the start.
  QElapsedTimer sincePlay;
  sincePlay.start();
  control.Play();
  ASSERT_TRUE(QTest::qWaitFor([&] { return control.playState() == PlayPlaying; }, 3000));
  EXPECT_LE(control.CurrentPosition(), sincePlay.elapsed() / 1000.0 + 0.05);

  // The empty name stops and closes.
  control.Open(QString());
  EXPECT_EQ(control.openState(), OpenClosed);
  EXPECT_EQ(control.playState(), PlayStopped);
  EXPECT_EQ(control.FileName(), QString());
  EXPECT_EQ(control.Duration(), 0.0);
  EXPECT_EQ(control.CurrentPosition(), 0.0);
}

INSTANTIATE_TEST_SUITE_P(Formats, Playback, ::testing::Values("tone.wav", "tone.mp3"),
                         [](const auto& info) { return std::string(info.param).substr(5); });

TEST_F(MediaFiles, StopRewindsAndPlayStartsAgain) {
  MusicPlayerControl control;
  Recorder rec(control);
  control.Open(file("tone.wav"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return control.CurrentPosition() > 0.2; }, 5000));
  control.Stop();
  EXPECT_EQ(control.playState(), PlayStopped);
  EXPECT_EQ(control.CurrentPosition(), 0.0);
  QTest::qWait(200);
  EXPECT_NEAR(control.CurrentPosition(), 0.0, 0.02);
  EXPECT_EQ(control.openState(), OpenOpen);

  QElapsedTimer sincePlay;
  sincePlay.start();
  control.Play();
  ASSERT_TRUE(QTest::qWaitFor([&] { return control.playState() == PlayPlaying; }, 3000));
  ASSERT_TRUE(QTest::qWaitFor([&] { return control.CurrentPosition() > 0.1; }, 3000));
  EXPECT_LE(control.CurrentPosition(), sincePlay.elapsed() / 1000.0 + 0.05) << "from the start";
  EXPECT_EQ(rec.count(Event::End), 0);
}

TEST_F(MediaFiles, PositionSetWhileOpeningAppliesOnceOpenAndSeeksClampToTheEnd) {
  MusicPlayerControl control;
  Recorder rec(control);
  QElapsedTimer sinceOpen;
  sinceOpen.start();
  control.Open(file("tone.mp3"));
  control.setCurrentPosition(1.2);
  EXPECT_DOUBLE_EQ(control.CurrentPosition(), 1.2);
  ASSERT_TRUE(QTest::qWaitFor([&] { return control.playState() == PlayPlaying; }, 5000));
  QTest::qWait(150);
  EXPECT_GE(control.CurrentPosition(), 1.2);
  EXPECT_LE(control.CurrentPosition(), 1.2 + sinceOpen.elapsed() / 1000.0 + 0.05);

  // Beyond the end is the end, never beyond it; a negative one is the start.
  control.setCurrentPosition(-5.0);
  EXPECT_EQ(control.CurrentPosition(), 0.0);
  control.setCurrentPosition(1e9);
  EXPECT_LE(control.CurrentPosition(), control.Duration());
  ASSERT_TRUE(QTest::qWaitFor([&] { return rec.count(Event::End) == 1; }, 3000));
  EXPECT_EQ(rec.count(Event::Error), 0);
}

// The way the shell's background music goes through its playlist: the next
// file is opened from inside the end-of-stream handler.
TEST_F(MediaFiles, EndOfStreamHandlerOpensTheNextFile) {
  MusicPlayerControl control;
  Recorder rec(control);
  const QStringList playlist{file("short-a.wav"), file("short-b.mp3")};
  QStringList ended;
  int index = 0;
  QObject::connect(&control, &MusicPlayerControl::endOfStream, [&] {
    ended << control.FileName();
    if (++index < playlist.size()) control.Open(playlist[index]);
  });
  control.Open(playlist[0]);
  ASSERT_TRUE(QTest::qWaitFor([&] { return ended.size() == 2; }, 6000));
  EXPECT_EQ(ended, playlist);
  EXPECT_EQ(rec.states(Event::OpenChange),
            (std::vector<int>{OpenOpening, OpenOpen, OpenClosed, OpenOpening, OpenOpen}));
  EXPECT_EQ(rec.states(Event::PlayChange),
            (std::vector<int>{PlayPlaying, PlayStopped, PlayPlaying, PlayStopped}));
  EXPECT_EQ(rec.count(Event::Error), 0);
}

struct BadFile {
  const char* name;
  const char* file;  // in the test folder; nullptr: a path that does not exist
};

class Unplayable : public MediaFiles, public ::testing::WithParamInterface<BadFile> {};

TEST_P(Unplayable, ReportsAnErrorClosesAndStaysUsable) {
  MusicPlayerControl control;
  Recorder rec(control);
  const QString path = GetParam().file ? file(GetParam().file) : file("missing/nothing.mp3");
  control.Open(path);
  ASSERT_TRUE(QTest::qWaitFor([&] { return rec.count(Event::Error) > 0; }, 5000));
  QTest::qWait(100);
  EXPECT_EQ(rec.count(Event::Error), 1);
  EXPECT_FALSE(rec.events.back().text.isEmpty());
  EXPECT_EQ(rec.events.back().kind, Event::Error) << "closed before the error is told";
  EXPECT_EQ(control.openState(), OpenClosed);
  EXPECT_EQ(control.playState(), PlayStopped);
  EXPECT_EQ(rec.count(Event::End), 0);
  EXPECT_EQ(control.CurrentPosition(), 0.0);

  control.Open(file("short-a.wav"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return control.playState() == PlayPlaying; }, 5000));
  EXPECT_EQ(rec.count(Event::Error), 1);
}

INSTANTIATE_TEST_SUITE_P(Files, Unplayable,
                         ::testing::Values(BadFile{"Missing", nullptr}, BadFile{"Garbage", "garbage.mp3"},
                                           BadFile{"Empty", "empty.wav"}, BadFile{"Folder", "folder.mp3"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MusicControl, OperationsWithoutAFileDoNothing) {
  MusicPlayerControl control;
  Recorder rec(control);
  control.Play();
  control.Pause();
  control.Stop();
  control.setCurrentPosition(3.0);
  control.Open(QString());
  QTest::qWait(50);
  EXPECT_TRUE(rec.events.empty());
  EXPECT_EQ(control.openState(), OpenClosed);
  EXPECT_EQ(control.playState(), PlayStopped);
  EXPECT_EQ(control.CurrentPosition(), 0.0);
}

TEST(MusicControl, SinkFromOptionsOrEnvironment) {
  EXPECT_EQ(MusicPlayerControl().audioSinkName(), "fakeaudiosink");
  EXPECT_EQ(MusicPlayerControl(MusicPlayerOptions{QStringLiteral("fakesink")}).audioSinkName(), "fakesink");
  EXPECT_EQ(MusicPlayerControl(MusicPlayerOptions{QStringLiteral("fakesink sync=true")}).audioSinkName(), "bin");
}

struct LevelCase {
  int level;           // hundredths of a decibel, as set
  int readBack;        // Volume() afterwards
  double amplitude;    // what playbin is given
};

class VolumeScale : public ::testing::TestWithParam<LevelCase> {};

TEST_P(VolumeScale, DecibelsToAmplitude) {
  const LevelCase c = GetParam();
  EXPECT_NEAR(linearVolume(c.level), c.amplitude, 1e-6);
  MusicPlayerControl control;
  control.setVolume(c.level);
  EXPECT_EQ(control.Volume(), c.readBack);
  EXPECT_NEAR(control.appliedLinearVolume(), c.amplitude, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(Levels, VolumeScale,
                         ::testing::Values(LevelCase{0, 0, 1.0}, LevelCase{-600, -600, 0.501187},
                                           LevelCase{-1000, -1000, 0.316228}, LevelCase{-2000, -2000, 0.1},
                                           LevelCase{-4000, -4000, 0.01}, LevelCase{-6000, -6000, 0.001},
                                           LevelCase{-9999, -9999, 1.000115e-5}, LevelCase{-10000, -10000, 0.0},
                                           LevelCase{-25000, -10000, 0.0}, LevelCase{300, 0, 1.0}));

TEST(MusicControl, MuteReachesThePipeline) {
  MusicPlayerControl control;
  EXPECT_FALSE(control.Mute());
  control.setMute(true);
  EXPECT_TRUE(control.Mute());
  EXPECT_TRUE(control.appliedMute());
  control.setMute(false);
  EXPECT_FALSE(control.appliedMute());
  EXPECT_EQ(clampLevel(-4294967295LL), kSilent);
}

}  // namespace
}  // namespace lumi::media
