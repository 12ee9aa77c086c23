#include "manager/dispatch/TaskSwitchList.h"

#include "common/suite/SuiteMessages.h"

namespace lumi::manager {

std::vector<TaskEntry> collectTaskEntries(desktop::WindowId noted, desktop::Desktop& desktop, WindowInfo& info,
                                          int iconSize) {
  std::vector<TaskEntry> entries;
  QString firstTitle;
  if (noted != 0) {
    firstTitle = desktop.windowTitle(noted);
    entries.push_back({noted, firstTitle, info.icon(noted, iconSize)});
  }
  for (const desktop::WindowId window : desktop.topLevelWindows()) {
    if (window == noted) continue;
    const QString title = desktop.windowTitle(window);
    if (title.isEmpty() || title == firstTitle || title == kDesktopShellTitle) continue;
    if (!info.isVisible(window) || info.isDesktopShell(window)) continue;
    entries.push_back({window, title, info.icon(window, iconSize)});
  }
  return entries;
}

TaskSwitchList::Command TaskSwitchList::keyDown(quint8 key) {
  switch (key) {
    case 0x26:  // Up
    case '2':
      return up();
    case 0x28:  // Down
    case '8':
      return down();
    case 0x25:  // Left
    case '4':
      return previous();
    case 0x27:  // Right
    case '6':
      return next();
    case 0x0D:  // Return
      return entries_.empty() ? Command::Close : Command::Choose;
    case 0x1B:  // Escape
      return Command::Close;
    default:
      return Command::None;
  }
}

TaskSwitchList::Command TaskSwitchList::remoteKey(int code) {
  switch (code) {
    case suite::KeyDigit2:
    case suite::KeyUp:
      return up();
    case suite::KeyDigit8:
    case suite::KeyDown:
      return down();
    case suite::KeyDigit4:
    case suite::KeyLeft:
      return previous();
    case suite::KeyDigit6:
    case suite::KeyRight:
      return next();
    case suite::KeyOk:
      return entries_.empty() ? Command::Close : Command::Choose;
    case suite::KeyExit:
    case 36:
      return Command::Close;
    default:
      return Command::None;
  }
}

TaskSwitchList::Command TaskSwitchList::up() {
  if (selection_ < kColumns) return Command::None;
  selection_ -= kColumns;
  return Command::Moved;
}

TaskSwitchList::Command TaskSwitchList::down() {
  if (selection_ + kColumns >= count()) return Command::None;
  selection_ += kColumns;
  return Command::Moved;
}

TaskSwitchList::Command TaskSwitchList::previous() {
  if (entries_.empty()) return Command::None;
  selection_ = selection_ == 0 ? count() - 1 : selection_ - 1;
  return Command::Moved;
}

TaskSwitchList::Command TaskSwitchList::next() {
  if (entries_.empty()) return Command::None;
  selection_ = selection_ == count() - 1 ? 0 : selection_ + 1;
  return Command::Moved;
}

QRect TaskSwitchList::gridRect(int clientWidth) const {
  return QRect(10, 20, clientWidth - 10, kRowHeight * extraRows() + 104);
}

QRect TaskSwitchList::cellRect(int index, int clientWidth) const {
  const QRect grid = gridRect(clientWidth);
  const int cellWidth = grid.width() / kColumns;
  return QRect(grid.x() + (index % kColumns) * cellWidth, grid.y() + (index / kColumns) * kRowHeight, cellWidth,
               kRowHeight);
}

int TitleScroller::reset(int textWidth, int lineWidth) {
  overflow_ = textWidth > lineWidth ? textWidth - lineWidth : 0;
  offset_ = 0;
  return overflow_ > 0 ? kRestTimer : 0;
}

int TitleScroller::tick(int timer) {
  if (overflow_ == 0) return 0;
  if (timer == kRestTimer) {
    if (offset_ >= overflow_) {  // rested at the end: back to the start
      offset_ = 0;
      return kRestTimer;
    }
    return kStepTimer;
  }
  if (timer != kStepTimer) return 0;
  ++offset_;
  return offset_ >= overflow_ ? kRestTimer : kStepTimer;
}

}  // namespace lumi::manager
