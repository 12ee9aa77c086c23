// The web-site button and power-off over their recording ports, and what a
// handler program would be given for a target.
#include "platform/open/OpenAction.h"
#include "platform/power/PowerControl.h"
#include "shell/frame/ProductSite.h"
#include "shell/frame/ShellPower.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

namespace lumi::shell {
namespace {

TEST(ProductSite, EachPressOpensTheSite) {
  open::RecordingOpenAction action;
  OpenProductSite(action);
  OpenProductSite(action);
  ASSERT_EQ(action.opened().size(), 2);
  for (const QUrl& url : action.opened()) EXPECT_EQ(url.toString(), "http://www.lumicaster.example/");
  EXPECT_EQ(open::openArgument(action.opened().first()), "http://www.lumicaster.example/");
}

TEST(ProductSite, AFailedStartIsNotAnError) {
  open::RecordingOpenAction action(false);
  OpenProductSite(action);
  EXPECT_EQ(action.opened().size(), 1);
}

struct ArgumentCase {
  const char* name;
  QUrl target;
  const char* argument;  // "" when refused
};

class OpenArgument : public ::testing::TestWithParam<ArgumentCase> {};

TEST_P(OpenArgument, Table) { EXPECT_EQ(open::openArgument(GetParam().target), GetParam().argument); }

INSTANTIATE_TEST_SUITE_P(
    Targets, OpenArgument,
    ::testing::Values(
        ArgumentCase{"Web", QUrl("http://www.lumicaster.example/"), "http://www.lumicaster.example/"},
        ArgumentCase{"WebEncoded", QUrl("http://example.test/a b?q=\xEA\xB0\x80"),
                     "http://example.test/a%20b?q=%EA%B0%80"},
        ArgumentCase{"File", QUrl::fromLocalFile("/srv/music/a b#1.mp3"), "/srv/music/a b#1.mp3"},
        ArgumentCase{"Relative", QUrl("music/a.mp3"), ""},
        ArgumentCase{"OptionLike", QUrl("--help"), ""},
        ArgumentCase{"FileOptionLike", QUrl("file:--help"), ""},
        ArgumentCase{"Empty", QUrl(), ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PowerOff, AsksThePowerPortOnce) {
  power::RecordingPowerControl power;
  EXPECT_TRUE(PowerOff(power));
  EXPECT_EQ(power.requests(), 1);
}

TEST(PowerOff, ARefusalIsPassedOn) {
  power::RecordingPowerControl power(false);
  EXPECT_FALSE(PowerOff(power));
  EXPECT_EQ(power.requests(), 1);
}

}  // namespace
}  // namespace lumi::shell
