// The volume keys and the stored "Volume", as one table run twice: against a
// recording stand-in for the music control and against the real control
// (playbin into a fake sink), each on a private registry.
#include "platform/media/MusicPlayerControl.h"
#include "platform/registry/Registry.h"
#include "shell/frame/ShellVolume.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace lumi::shell {
namespace {

using registry::Key;
using registry::Root;

// Keeps what it was set to, and every call in order.
class RecordingLevel : public media::AudioLevel {
 public:
  int Volume() const override { return volume_; }
  void setVolume(int v) override {
    volume_ = media::clampLevel(v);
    calls.push_back("volume " + std::to_string(v));
  }
  bool Mute() const override { return mute_; }
  void setMute(bool m) override {
    mute_ = m;
    calls.push_back(m ? "mute on" : "mute off");
  }
  std::vector<std::string> calls;

 private:
  int volume_ = 0;
  bool mute_ = false;
};

enum class Control { Recording, Real };

struct Stored {
  enum { NoKey, NoValue, Text, DWord } kind;
  quint32 value = 0;
};

struct VolumeCase {
  const char* name;
  Stored before;
  // After LoadVolume: U up, D down, M the mute key, each with an optional count.
  const char* keys;
  int volume;
  bool mute;
  bool muteFlag;
  quint32 storedAfter;
};

void prepare(const Stored& s) {
  if (s.kind == Stored::NoKey) return;
  Key root = Key::create(Root::CurrentUser, kFrameRootKey);
  if (s.kind == Stored::Text) root.writeString(QStringLiteral("Volume"), QStringLiteral("loud"));
  if (s.kind == Stored::DWord) root.writeDWord(QStringLiteral("Volume"), s.value);
}

void press(ShellVolume& volume, const char* keys) {
  for (const char* p = keys; *p;) {
    const char key = *p++;
    if (key == ' ') continue;
    int count = 0;
    while (*p >= '0' && *p <= '9') count = count * 10 + (*p++ - '0');
    for (int i = 0; i < (count ? count : 1); ++i) {
      if (key == 'U') volume.VolumeUp();
      if (key == 'D') volume.VolumeDown();
      if (key == 'M') volume.ToggleMute();
    }
  }
}

class VolumeKeys : public ::testing::TestWithParam<std::tuple<Control, VolumeCase>> {};

TEST_P(VolumeKeys, Table) {
  const auto& [kind, c] = GetParam();
  test::PrivateEnvironment env;
  prepare(c.before);

  std::unique_ptr<media::AudioLevel> control;
  if (kind == Control::Real) {
    auto real = std::make_unique<media::MusicPlayerControl>();
    ASSERT_TRUE(real->isValid());
    control = std::move(real);
  } else {
    control = std::make_unique<RecordingLevel>();
  }
  ShellVolume volume(*control);
  volume.LoadVolume();
  press(volume, c.keys);

  EXPECT_EQ(control->Volume(), c.volume);
  EXPECT_EQ(control->Mute(), c.mute);
  EXPECT_EQ(volume.muteFlag(), c.muteFlag);
  EXPECT_EQ(volume.storedVolume(), c.storedAfter);
  quint32 onDisk = 0;
  ASSERT_TRUE(Key::open(Root::CurrentUser, kFrameRootKey).readDWord(QStringLiteral("Volume"), onDisk));
  EXPECT_EQ(onDisk, c.storedAfter);
  if (kind == Control::Real) {
    auto* real = static_cast<media::MusicPlayerControl*>(control.get());
    EXPECT_NEAR(real->appliedLinearVolume(), media::linearVolume(c.volume), 1e-6);
    EXPECT_EQ(real->appliedMute(), c.mute);
  }
}

constexpr Stored kNoKey{Stored::NoKey};
constexpr Stored value(quint32 v) { return {Stored::DWord, v}; }

const VolumeCase kCases[] = {
    {"NoKeyWritesTheDefault", kNoKey, "", -1000, false, false, 1000},
    {"KeyWithoutValueWritesTheDefault", {Stored::NoValue}, "", -1000, false, false, 1000},
    {"TextValueCountsAsMissing", {Stored::Text}, "", -1000, false, false, 1000},
    {"StoredValueIsLoaded", value(2400), "", -2400, false, false, 2400},
    {"UpFromDefault", kNoKey, "U", -800, false, false, 800},
    {"DownFromDefault", kNoKey, "D", -1200, false, false, 1200},
    {"SeventeenDownsFrom400", value(400), "D17", -3800, false, false, 3800},
    {"EighteenDownsFrom400ReachTheSilentStep", value(400), "D18", -4000, true, false, 4000},
    {"DownAtTheSilentStepStaysThere", value(400), "D25", -4000, true, false, 4000},
    {"UpFromTheSilentStepSoundsAgain", value(400), "D18 U", -3800, false, false, 3800},
    {"UpAtMinus100GoesToTheTop", value(100), "U", 0, false, false, 0},
    {"UpAtMinus200GoesToTheTop", value(200), "U", 0, false, false, 0},
    {"UpAtTheTopStays", value(0), "U3", 0, false, false, 0},
    {"MuteKey", kNoKey, "M", -1000, true, true, 1000},
    {"MuteKeyTwice", kNoKey, "M2", -1000, false, false, 1000},
    {"UpReleasesTheMuteKey", kNoKey, "M U", -800, false, false, 800},
    {"DownReleasesTheMuteKey", kNoKey, "M D", -1200, false, false, 1200},
    {"MuteKeyAtTheSilentStepStaysSilent", value(400), "D18 M2", -4000, true, false, 4000},
    {"UpAfterTheMuteKeyAtTheSilentStepSounds", value(400), "D18 M U", -3800, false, false, 3800},
    {"DownAfterTheMuteKeyAtTheSilentStepStaysSilent", value(400), "D18 M D", -4000, true, false, 4000},
    {"OddValueStopsAtTheSilentStep", value(3900), "D", -4000, true, false, 4000},
    {"OddValueFromTheTopStopsAtTheSilentStep", value(100), "D20", -4000, true, false, 4000},
    {"BeyondSilenceIsSilence", value(4294967295u), "", -10000, false, false, 4294967295u},
    {"UpFromBeyondSilence", value(20000), "U", -9800, false, false, 9800},
    {"DownBeyondTheSilentStepChangesNothing", value(20000), "D", -10000, false, false, 10000},
};

INSTANTIATE_TEST_SUITE_P(Cases, VolumeKeys,
                         ::testing::Combine(::testing::Values(Control::Recording, Control::Real),
                                            ::testing::ValuesIn(kCases)),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param) == Control::Real ? "Real_" : "Recording_") +
                                  std::get<1>(info.param).name;
                         });

TEST(VolumeKeys, LoadGivesTheControlMinusTheStoredValueOnce) {
  test::PrivateEnvironment env;
  prepare(value(1600));
  RecordingLevel control;
  ShellVolume volume(control);
  volume.LoadVolume();
  EXPECT_EQ(control.calls, (std::vector<std::string>{"volume -1600"}));
  volume.VolumeDown();
  volume.ToggleMute();
  volume.VolumeUp();
  EXPECT_EQ(control.calls, (std::vector<std::string>{"volume -1600", "volume -1800", "mute on", "mute off",
                                                      "volume -1600"}));
}

}  // namespace
}  // namespace lumi::shell
