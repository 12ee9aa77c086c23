// A caption event from raw entry text to what the bar shows: the cleaning,
// the last caption kept for a re-show, timer 126's toggle and its fifth tick,
// the position, and the sync commands with their on-screen texts.
#include <gtest/gtest.h>

#include <QSignalSpy>

#include "platform/text/StringTable.h"
#include "player/captions/CaptionBarLayout.h"
#include "player/captions/CaptionBarState.h"
#include "player/captions/CaptionEventText.h"
#include "player/captions/CaptionSync.h"
#include "tests/support/QtPrinters.h"

using namespace lumi::player;

namespace {

TEST(CaptionEventText, CleaningTable) {
  const std::pair<QString, QString> cases[] = {
      {"&nbsp;", " "},
      {"&NBSP;", " "},
      {"&Nbsp;", "&Nbsp;"},  // only the two spellings
      {"<font color=red>A</font><br>B", "A\nB"},
      {"A<BR>B<Br>C", "A\nBC"},  // "<Br>" is just another tag
      {"a<b", ""},
      {"x\r\ny\n\rz", "xyz"},
      {"line<br>\r\n", "line"},
      {"one<br><br>", "one"},
      {"<i></i>", ""},
      {"&amp; <x>", "&amp; "},  // other entities stay as written
      {"안녕<br>하세요", "안녕\n하세요"},
  };
  for (const auto& [raw, clean] : cases) EXPECT_EQ(cleanCaptionText(raw), clean) << raw.toStdString();
  EXPECT_FALSE(hasVisibleCaption(" \n "));
  EXPECT_TRUE(hasVisibleCaption(" x"));
}

// Driven tick by tick: the window's timer 126 calls hideTick() once a second.
class CaptionBarStateTest : public ::testing::Test {
 protected:
  CaptionBarState bar_{nullptr, 3600 * 1000};
  QSignalSpy shown_{&bar_, &CaptionBarState::shown};
};

TEST_F(CaptionBarStateTest, CaptionThenBlankEntry) {
  bar_.captionEvent("<font color=\"yellow\">안녕</font><br>하세요");
  EXPECT_EQ(bar_.currentText(), "안녕\n하세요");
  EXPECT_EQ(bar_.lastText(), "안녕\n하세요");
  EXPECT_TRUE(bar_.hideTimerArmed());

  bar_.captionEvent("&nbsp;");  // shown blank, the timer stops, the caption is kept
  EXPECT_EQ(bar_.currentText(), " ");
  EXPECT_EQ(bar_.lastText(), "안녕\n하세요");
  EXPECT_FALSE(bar_.hideTimerArmed());

  bar_.captionEvent("a<b");  // nothing left: no change at all
  EXPECT_EQ(bar_.currentText(), " ");
  EXPECT_FALSE(bar_.hideTimerArmed());
  ASSERT_EQ(shown_.size(), 2);
  EXPECT_EQ(shown_.at(1).at(0).toString(), " ");

  bar_.reshow();
  EXPECT_EQ(bar_.currentText(), "안녕\n하세요");
  EXPECT_TRUE(bar_.hideTimerArmed());
  EXPECT_EQ(bar_.hideTicks(), 0);
}

TEST_F(CaptionBarStateTest, ACaptionGoesOnTheFifthTick) {
  bar_.captionEvent("long caption");
  for (int tick = 1; tick <= 4; ++tick) {
    bar_.hideTick();
    EXPECT_EQ(bar_.currentText(), "long caption") << tick;
  }
  bar_.hideTick();
  EXPECT_EQ(bar_.currentText(), "");
  EXPECT_FALSE(bar_.hideTimerArmed());
  EXPECT_EQ(shown_.last().at(0).toString(), "");  // the filter gets an empty text
  EXPECT_EQ(bar_.lastText(), "long caption");
}

TEST_F(CaptionBarStateTest, ACaptionArrivingWhileTheTimerRunsStaysUntilTheNextEvent) {
  bar_.captionEvent("first");   // timer on
  bar_.captionEvent("second");  // timer off: no five-second limit now
  EXPECT_EQ(bar_.currentText(), "second");
  EXPECT_FALSE(bar_.hideTimerArmed());
}

TEST_F(CaptionBarStateTest, CaptionsOffIgnoreEventsAndClearTakesTheCaption) {
  bar_.captionEvent("shown");
  bar_.setCaptionsOn(false);
  bar_.captionEvent("not shown");
  EXPECT_EQ(bar_.currentText(), "shown");
  bar_.clear();
  EXPECT_EQ(bar_.currentText(), "");
  EXPECT_FALSE(bar_.hideTimerArmed());
}

TEST_F(CaptionBarStateTest, PositionIsClampedAndMovesReshow) {
  QSignalSpy position(&bar_, &CaptionBarState::positionChanged);
  bar_.captionEvent("text");
  bar_.captionEvent("&nbsp;");
  bar_.moveDown();  // 100 is the bottom already
  EXPECT_EQ(bar_.positionPercent(), 100);
  EXPECT_EQ(bar_.currentText(), "text");
  bar_.moveUp();
  EXPECT_EQ(bar_.positionPercent(), 98);
  bar_.setPositionPercent(-5);
  EXPECT_EQ(bar_.positionPercent(), 0);
  bar_.setPositionPercent(75);
  ASSERT_EQ(position.size(), 4);
  EXPECT_EQ(position.last().at(0).toInt(), 75);
}

TEST(CaptionBarTimer, TheRealTimerClearsTheCaption) {
  CaptionBarState bar(nullptr, 20);
  QSignalSpy shown(&bar, &CaptionBarState::shown);
  bar.captionEvent("brief");
  ASSERT_TRUE(shown.wait(5000));
  EXPECT_EQ(bar.currentText(), "");
  EXPECT_EQ(bar.hideTicks(), 5);
}

TEST(CaptionSync, CommandsAndOnScreenTexts) {
  const std::pair<int, std::optional<int>> commands[] = {
      {32872, -5000}, {32871, 5000}, {32873, -10000}, {32874, 10000}, {32875, std::nullopt}, {32807, std::nullopt}};
  for (const auto& [command, step] : commands) EXPECT_EQ(syncStepOfCommand(command), step) << command;

  const QByteArray tsv =
      "216\t  현재 자막 씽크 : +%0.1f 초\t\n"
      "217\t  현재 자막 씽크 : %0.1f 초\t\n"
      "218\t  현재 자막 씽크 : 0.0 초\t\n";
  const auto table = lumi::text::StringTable::parse(tsv, lumi::text::Language::Korean);
  const std::pair<int, QString> texts[] = {{5000, "  현재 자막 씽크 : +5.0 초"},
                                           {-500, "  현재 자막 씽크 : -0.5 초"},
                                           {0, "  현재 자막 씽크 : 0.0 초"},
                                           {12500, "  현재 자막 씽크 : +12.5 초"}};
  for (const auto& [ms, text] : texts) EXPECT_EQ(syncOffsetText(ms, table), text) << ms;
}

}  // namespace

namespace {

TEST(CaptionBarLayout, FullScreenWindowedAndBarTop) {
  struct FullScreen {
    int mode, percent, screen, videoBottom, text, line, top;
  };
  const FullScreen full[] = {
      {1, 80, 768, 672, 40, 37, 625},   // trunc(614.4) + 11.1
      {3, 75, 768, 672, 40, 37, 587},   // 576 + 11.1
      {1, 100, 768, 672, 40, 37, 716},  // would pass the bottom: 768 - 40 - 11.1
      {0, 80, 768, 672, 40, 37, 683},   // below the picture
      {2, 80, 768, 740, 40, 37, 716},   // below the picture would pass the bottom
      {0, 80, 768, 728, 40, 37, 739},   // exactly reaching the bottom is not passing it
  };
  for (const FullScreen& c : full)
    EXPECT_EQ(fullScreenCaptionTop(c.mode, c.percent, c.screen, c.videoBottom, c.text, c.line), c.top)
        << c.mode << " " << c.percent << " " << c.videoBottom;

  EXPECT_EQ(windowedCaptionTop(480, 40, 100), 434);
  EXPECT_EQ(windowedCaptionTop(480, 40, 75), 325);
  EXPECT_EQ(windowedCaptionTop(480, 40, 0), 0);

  EXPECT_EQ(captionBarTop(true, 380, 380, 100, true), 280);
  EXPECT_EQ(captionBarTop(true, 380, 380, 100, false), 380);
  EXPECT_EQ(captionBarTop(false, 0, 360, 100, true), 360);
}

}  // namespace
