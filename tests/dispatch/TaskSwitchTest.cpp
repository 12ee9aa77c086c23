// The task-switch window's list without a window: navigation in rows of six,
// the remote's key codes, geometry, the scrolling title and icon reading.
#include <gtest/gtest.h>

#include "manager/dispatch/TaskSwitchList.h"
#include "manager/dispatch/X11WindowInfo.h"

using namespace lumi;
using manager::TaskSwitchList;
using Command = TaskSwitchList::Command;

namespace {

TaskSwitchList listOf(int count) {
  std::vector<manager::TaskEntry> entries;
  for (int i = 0; i < count; ++i) entries.push_back({desktop::WindowId(100 + i), QString::number(i), {}});
  return TaskSwitchList(std::move(entries));
}

TEST(TaskSwitchListTest, KeysAndKeyCodesMoveInRowsOfSix) {
  struct Case {
    int count;
    int start;
    bool remote;  // a WM_REMOTE_KEY code rather than a key-down
    int key;
    Command command;
    int selection;
  };
  const Case cases[] = {
      {8, 0, false, 0x27, Command::Moved, 1},   // Right
      {8, 7, false, 0x27, Command::Moved, 0},   // Right from the last to the first
      {8, 0, false, 0x25, Command::Moved, 7},   // Left from the first to the last
      {8, 3, false, '4', Command::Moved, 2},
      {8, 3, false, '6', Command::Moved, 4},
      {8, 1, false, 0x28, Command::Moved, 7},   // Down: a window lies there
      {8, 2, false, '8', Command::None, 2},     // nothing below
      {8, 7, false, 0x26, Command::Moved, 1},   // Up
      {8, 5, false, '2', Command::None, 5},     // already on the first row
      {8, 4, false, 0x0D, Command::Choose, 4},
      {8, 4, false, 0x1B, Command::Close, 4},
      {8, 4, false, 'A', Command::None, 4},
      {8, 7, true, 3, Command::Moved, 1},       // code 3 (digit 2): up
      {8, 1, true, 9, Command::Moved, 7},       // code 9 (digit 8): down
      {8, 1, true, 16, Command::Moved, 7},
      {8, 0, true, 5, Command::Moved, 7},       // code 5 (digit 4): previous
      {8, 0, true, 17, Command::Moved, 7},
      {8, 7, true, 7, Command::Moved, 0},       // code 7 (digit 6): next
      {8, 7, true, 18, Command::Moved, 0},
      {8, 2, true, 13, Command::Choose, 2},
      {8, 2, true, 14, Command::Close, 2},
      {8, 2, true, 36, Command::Close, 2},
      {8, 2, true, 12, Command::None, 2},
      {1, 0, false, 0x27, Command::Moved, 0},
      {0, -1, false, 0x27, Command::None, -1},
      {0, -1, false, 0x0D, Command::Close, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.count << " entries, from " << c.start << (c.remote ? ", code " : ", key ")
                                    << c.key);
    TaskSwitchList list = listOf(c.count);
    while (list.selection() != c.start) list.next();
    EXPECT_EQ(c.remote ? list.remoteKey(c.key) : list.keyDown(quint8(c.key)), c.command);
    EXPECT_EQ(list.selection(), c.selection);
  }
}

TEST(TaskSwitchListTest, GeometryGrowsByARowOf84PixelsPerSixEntries) {
  struct Case {
    int count;
    QRect grid;
    int height;
  };
  const Case cases[] = {
      {1, {10, 20, 530, 104}, 204},
      {6, {10, 20, 530, 104}, 204},
      {7, {10, 20, 530, 188}, 288},
      {13, {10, 20, 530, 272}, 372},
  };
  for (const Case& c : cases) {
    const TaskSwitchList list = listOf(c.count);
    EXPECT_EQ(list.gridRect(540), c.grid) << c.count;
    EXPECT_EQ(list.windowHeight(), c.height) << c.count;
  }
  EXPECT_EQ(listOf(8).cellRect(7, 540), QRect(10 + 88, 20 + 84, 88, 84));
}

TEST(TaskSwitchListTest, LongTitleRestsThenScrollsPixelByPixel) {
  manager::TitleScroller scroller;
  using S = manager::TitleScroller;
  EXPECT_EQ(scroller.reset(100, 200), 0);  // fits: no timer
  EXPECT_EQ(scroller.reset(203, 200), S::kRestTimer);
  EXPECT_EQ(scroller.tick(S::kRestTimer), S::kStepTimer);
  EXPECT_EQ(scroller.tick(S::kStepTimer), S::kStepTimer);
  EXPECT_EQ(scroller.tick(S::kStepTimer), S::kStepTimer);
  EXPECT_EQ(scroller.tick(S::kStepTimer), S::kRestTimer);  // the end is in view
  EXPECT_EQ(scroller.offset(), 3);
  EXPECT_EQ(scroller.tick(S::kRestTimer), S::kRestTimer);  // and back to the start
  EXPECT_EQ(scroller.offset(), 0);
}

TEST(TaskSwitchListTest, IconValuesFromOtherProgramsAreReadWithinTheirBounds) {
  auto icon = [](std::uint32_t w, std::uint32_t h, std::uint32_t argb) {
    std::vector<std::uint32_t> v{w, h};
    v.insert(v.end(), std::size_t(w) * h, argb);
    return v;
  };
  auto concat = [](std::vector<std::uint32_t> a, const std::vector<std::uint32_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  };
  const auto red16 = icon(16, 16, 0xffff0000), green48 = icon(48, 48, 0xff00ff00), blue32 = icon(32, 32, 0xff0000ff);
  struct Case {
    const char* what;
    std::vector<std::uint32_t> value;
    QRgb centre;  // 0: no icon
  };
  const Case cases[] = {
      {"one exact size", blue32, 0xff0000ff},
      {"the smallest that is large enough", concat(concat(red16, green48), blue32), 0xff0000ff},
      {"larger rather than smaller", concat(red16, green48), 0xff00ff00},
      {"only a small one, enlarged", red16, 0xffff0000},
      {"empty", {}, 0},
      {"a lone count", {32}, 0},
      {"fewer pixels than it claims", {32, 32, 0xff0000ff, 0xff0000ff}, 0},
      {"a size past any screen", {0x10000, 0x10000, 1, 2, 3}, 0},
      {"counts that would overflow", {0xffffffff, 0xffffffff, 1}, 0},
      {"a good icon, then a broken one", concat(green48, {64, 64, 1}), 0xff00ff00},
      {"a zero width", {0, 32}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const QImage image = manager::iconFromNetWmIcon(c.value, 32);
    if (c.centre == 0) {
      EXPECT_TRUE(image.isNull());
      continue;
    }
    ASSERT_EQ(image.size(), QSize(32, 32));
    EXPECT_EQ(image.pixel(16, 16), c.centre);
  }
}

}  // namespace
