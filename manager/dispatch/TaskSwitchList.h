#pragma once
// The task-switch window without its window: which windows it offers, the
// selection in its grid of six icons a row, what its keys and key codes do,
// and its geometry.
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>
#include <vector>

#include "manager/dispatch/DispatchPorts.h"
#include "platform/desktop/Desktop.h"

namespace lumi::manager {

// The task-switch window's title; a second task-switch key finds it by this.
inline const QString kTaskSwitchTitle = QStringLiteral("Task Switch");

struct TaskEntry {
  desktop::WindowId window = 0;
  QString title;
  QImage icon;  // null: the placeholder icon is shown
};

// The title of the desktop shell's own window on the system the key maps come
// from, which is never offered.
inline const QString kDesktopShellTitle = QStringLiteral("Program Manager");

// The window that was in front first, then the other visible top-level
// windows in z-order whose title is not empty, differs from the first
// entry's title and that are not part of the desktop shell (by that title, or
// as WindowInfo tells). With nothing in front there is no first entry.
std::vector<TaskEntry> collectTaskEntries(desktop::WindowId noted, desktop::Desktop& desktop, WindowInfo& info,
                                          int iconSize = 32);

class TaskSwitchList {
 public:
  static constexpr int kColumns = 6;
  static constexpr int kRowHeight = 84;
  static constexpr int kIconSize = 32;

  enum class Command { None, Moved, Choose, Close };

  explicit TaskSwitchList(std::vector<TaskEntry> entries) : entries_(std::move(entries)) {}

  const std::vector<TaskEntry>& entries() const { return entries_; }
  int count() const { return int(entries_.size()); }
  // -1 when the list is empty.
  int selection() const { return entries_.empty() ? -1 : selection_; }
  const TaskEntry* selected() const { return entries_.empty() ? nullptr : &entries_[std::size_t(selection_)]; }

  // A key-down of a Windows virtual-key code: Up or '2' a row up, Down or
  // '8' a row down, Left or '4' the previous entry, Right or '6' the next,
  // Enter chooses, Escape closes.
  Command keyDown(quint8 virtualKey);
  // WM_REMOTE_KEY: 3/15 up, 9/16 down, 5/17 previous, 7/18 next, 13 chooses, 14/36 close.
  Command remoteKey(int code);

  Command up();
  Command down();
  Command previous();
  Command next();

  // r = (entries - 1) / 6; the grid is at (10, 20), the client width minus
  // 10 wide and 84 r + 104 high; the window is 84 r + 204 high.
  int extraRows() const { return entries_.empty() ? 0 : (count() - 1) / kColumns; }
  QRect gridRect(int clientWidth) const;
  int windowHeight() const { return kRowHeight * extraRows() + 204; }
  // The cell of entry i inside the grid.
  QRect cellRect(int index, int clientWidth) const;

 private:
  std::vector<TaskEntry> entries_;
  int selection_ = 0;
};

// The selected title scrolls when it is wider than its line: it rests for
// 500 ms (timer 216), then moves one pixel every 30 ms (timer 215) until its
// end has come into view, rests again and starts over.
class TitleScroller {
 public:
  static constexpr int kRestTimer = 216, kRestMs = 500;
  static constexpr int kStepTimer = 215, kStepMs = 30;

  // The timer to start now (0: none, the text fits).
  int reset(int textWidth, int lineWidth);
  // A tick of `timer`; returns the timer to start next (0: none).
  int tick(int timer);
  int offset() const { return offset_; }

 private:
  int overflow_ = 0;
  int offset_ = 0;
};

}  // namespace lumi::manager
