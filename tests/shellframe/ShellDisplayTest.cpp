// The display mode over a recording display: what the shell asks of the
// display at start, minimise, restore and exit, for each "Resolution".
#include "platform/display/RecordingDisplaySettings.h"
#include "platform/registry/Registry.h"
#include "shell/frame/ShellDisplay.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <QFile>

#include <optional>
#include <ostream>
#include <vector>

namespace lumi::display {
void PrintTo(const DisplayMode& m, std::ostream* os) { *os << m.width << "x" << m.height << "@" << m.refreshHz; }
}  // namespace lumi::display

namespace lumi::shell {
namespace {

using display::DisplayMode;
using display::RecordingDisplaySettings;
using registry::Key;
using registry::Root;

void writeResolution(quint32 value) {
  Key::create(Root::CurrentUser, kFrameClientKey).writeDWord(QStringLiteral("Resolution"), value);
}

struct DisplayCase {
  const char* name;
  std::optional<quint32> resolution;  // absent: no value
  DisplayMode atStart;
  // T: ApplyDisplayMode(true), F: ApplyDisplayMode(false); a digit writes
  // "Resolution" with that value first.
  const char* steps;
  std::vector<DisplayMode> changes;  // asked of the display, in order
  DisplayMode atEnd;
  qint32 displayMode;
};

const DisplayMode k1024x768{1024, 768, 60.0};
const DisplayMode k800x600at60{800, 600, 60.0};

class DisplayModes : public ::testing::TestWithParam<DisplayCase> {};

TEST_P(DisplayModes, Table) {
  const DisplayCase& c = GetParam();
  test::PrivateEnvironment env;
  if (c.resolution) writeResolution(*c.resolution);
  RecordingDisplaySettings display(c.atStart);
  ShellDisplay shell(display);
  ASSERT_TRUE(shell.SaveDisplaySettings());
  EXPECT_EQ(shell.savedSettings(), c.atStart);

  for (const char* p = c.steps; *p; ++p) {
    if (*p == 'T') shell.ApplyDisplayMode(true);
    if (*p == 'F') shell.ApplyDisplayMode(false);
    if (*p >= '0' && *p <= '9') writeResolution(quint32(*p - '0'));
  }

  std::vector<DisplayMode> asked;
  for (const auto& change : display.changes()) {
    EXPECT_EQ(change.monitor, QString()) << "the primary monitor";
    asked.push_back(change.mode);
  }
  EXPECT_EQ(asked, c.changes);
  EXPECT_EQ(display.current(), c.atEnd);
  EXPECT_EQ(shell.displayMode(), c.displayMode);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DisplayModes,
    ::testing::Values(
        DisplayCase{"AbsentMeansTelevision", std::nullopt, k1024x768, "TF", {k800x600at60, k1024x768}, k1024x768, 1},
        DisplayCase{"TelevisionKeepsTheRefresh", 1u, {1920, 1080, 50.0}, "T", {{800, 600, 50.0}}, {800, 600, 50.0}, 1},
        DisplayCase{"MinimiseAndRestore", 1u, k1024x768, "TFTF",
                    {k800x600at60, k1024x768, k800x600at60, k1024x768}, k1024x768, 1},
        DisplayCase{"AlreadyTelevision", 1u, {800, 600, 60.0}, "T", {}, {800, 600, 60.0}, 1},
        DisplayCase{"Width800IsNotSwitched", std::nullopt, {800, 480, 60.0}, "T", {}, {800, 480, 60.0}, 1},
        DisplayCase{"Height600IsNotSwitched", std::nullopt, {1024, 600, 60.0}, "T", {}, {1024, 600, 60.0}, 1},
        // Back to the saved settings even though nothing was switched: a
        // mode the user chose meanwhile gives way to the one found at start.
        DisplayCase{"Height600StillRestores", std::nullopt, {1024, 600, 60.0}, "TF", {{1024, 600, 60.0}},
                    {1024, 600, 60.0}, 1},
        DisplayCase{"WindowedNeverChanges", 0u, k1024x768, "TFTF", {}, k1024x768, 0},
        DisplayCase{"OtherValuesNeverChange", 2u, k1024x768, "TF", {}, k1024x768, 2},
        DisplayCase{"ReReadOnEveryCall", 0u, k1024x768, "T1T", {k800x600at60}, k800x600at60, 1},
        DisplayCase{"TurnedWindowedWhileSwitchedStillRestores", 1u, k1024x768, "T0FT", {k800x600at60, k1024x768},
                    k1024x768, 0},
        DisplayCase{"TurnedWindowedWithoutSwitchLeavesAlone", 1u, k1024x768, "0TF", {}, k1024x768, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DisplayMode, UnreadableDisplayIsLeftAlone) {
  test::PrivateEnvironment env;
  RecordingDisplaySettings display(k1024x768);
  display.setReadable(false);
  ShellDisplay shell(display);
  EXPECT_FALSE(shell.SaveDisplaySettings());
  shell.ApplyDisplayMode(true);
  shell.ApplyDisplayMode(false);
  EXPECT_TRUE(display.changes().isEmpty());
  EXPECT_FALSE(shell.switched());
}

TEST(DisplayMode, MonitorWithout800x600StaysAsItIs) {
  test::PrivateEnvironment env;
  RecordingDisplaySettings display(k1024x768);
  display.setAvailableModes({k1024x768, {640, 480, 60.0}});
  ShellDisplay shell(display);
  ASSERT_TRUE(shell.SaveDisplaySettings());
  shell.ApplyDisplayMode(true);
  ASSERT_EQ(display.changes().size(), 1);
  EXPECT_FALSE(display.changes()[0].accepted);
  EXPECT_FALSE(shell.switched());
  EXPECT_EQ(display.current(), k1024x768);
  shell.ApplyDisplayMode(false);
  EXPECT_EQ(display.current(), k1024x768);
}

TEST(DisplayMode, SavedOnceAtStart) {
  test::PrivateEnvironment env;
  RecordingDisplaySettings display({1280, 720, 60.0});
  ShellDisplay shell(display);
  ASSERT_TRUE(shell.SaveDisplaySettings());
  shell.ApplyDisplayMode(true);
  // Someone else changes the display while the shell is in front; exit still
  // goes back to what the shell found at start.
  display.setCurrent({1600, 900, 60.0});
  shell.ApplyDisplayMode(false);
  EXPECT_EQ(display.current(), (DisplayMode{1280, 720, 60.0}));
}

// A shell that ended without giving the display back (killed) and the one
// started after it, on the same display.
struct RestartCase {
  const char* name;
  const char* recordText;          // nullptr: what the first shell writes
  std::optional<DisplayMode> changedMeanwhile;
  DisplayMode savedBySecond;
};

class RestartedShell : public ::testing::TestWithParam<RestartCase> {};

TEST_P(RestartedShell, GivesBackWhatTheFirstOneFound) {
  const RestartCase& c = GetParam();
  test::PrivateEnvironment env;
  const QString record = env.file("display.mode");
  RecordingDisplaySettings display({1920, 1080, 60.0});
  {
    ShellDisplay first(display, kFrameClientKey, record);
    ASSERT_TRUE(first.SaveDisplaySettings());
    first.ApplyDisplayMode(true);
    ASSERT_EQ(display.current(), k800x600at60);
    ASSERT_TRUE(QFile::exists(record));
  }
  if (c.recordText) {
    QFile file(record);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(c.recordText);
  }
  if (c.changedMeanwhile) display.setCurrent(*c.changedMeanwhile);

  ShellDisplay second(display, kFrameClientKey, record);
  ASSERT_TRUE(second.SaveDisplaySettings());
  EXPECT_EQ(second.savedSettings(), c.savedBySecond);
  second.ApplyDisplayMode(true);
  second.ApplyDisplayMode(false);
  EXPECT_EQ(display.current(), c.savedBySecond);
  EXPECT_FALSE(QFile::exists(record)) << "given back: nothing left for a third shell";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RestartedShell,
    ::testing::Values(
        RestartCase{"KilledWhileSwitched", nullptr, std::nullopt, {1920, 1080, 60.0}},
        RestartCase{"ModeChangedSinceByTheUser", nullptr, DisplayMode{1280, 1024, 60.0}, {1280, 1024, 60.0}},
        RestartCase{"DamagedRecord", "original 1920 x\nswitched 800 600 60\n", std::nullopt, k800x600at60},
        RestartCase{"HostileRecord", "original -5 99999999 60\nswitched 800 600 60\n", std::nullopt, k800x600at60},
        RestartCase{"EmptyRecord", "", std::nullopt, k800x600at60}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DisplayMode, RecordOnlyWhileSwitched) {
  test::PrivateEnvironment env;
  const QString record = env.file("display.mode");
  RecordingDisplaySettings display({1024, 600, 60.0});
  ShellDisplay shell(display, kFrameClientKey, record);
  ASSERT_TRUE(shell.SaveDisplaySettings());
  shell.ApplyDisplayMode(true);
  EXPECT_FALSE(QFile::exists(record)) << "600 high is not switched";
  display.setCurrent(k1024x768);
  display.setAvailableModes({k1024x768});
  shell.ApplyDisplayMode(true);
  EXPECT_FALSE(QFile::exists(record)) << "a refused switch leaves nothing behind";
}

}  // namespace
}  // namespace lumi::shell
