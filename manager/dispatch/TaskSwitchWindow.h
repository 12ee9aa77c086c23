#pragma once
// The task-switch window: the icons of the running programs' windows in a
// grid, the selected one's title below. It does not answer the identity
// query, so the dispatcher sends it keystrokes as to any other program; it
// also takes WM_REMOTE_KEY, which is how a second task-switch key closes it.
// Its behaviour is TaskSwitchList's; this is the drawing and the wiring.
#include <QWidget>
#include <functional>
#include <memory>

#include "manager/dispatch/TaskSwitchList.h"
#include "platform/desktop/Desktop.h"

namespace lumi::suite {
class SuiteWindow;
}

namespace lumi::manager {

class TimerBank;

class TaskSwitchWindow : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kWidth = 540;

  // `noted` was in front when the window opened and gets the focus back when
  // nothing is chosen; `makeKeyTarget` is the dispatcher's key target claim.
  TaskSwitchWindow(desktop::WindowId noted, std::vector<TaskEntry> entries, desktop::Desktop& desktop,
                   std::function<void(desktop::WindowId)> makeKeyTarget);
  ~TaskSwitchWindow() override;

  desktop::WindowId id() const { return id_; }
  const TaskSwitchList& list() const { return list_; }
  // Shows the window in front, modal, and claims the key target.
  void open();

 signals:
  // The window is closing; `chosen` is 0 when nothing was chosen.
  void finished(desktop::WindowId chosen);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void apply(TaskSwitchList::Command command);
  void restartTitle();
  QRect titleRect() const;

  TaskSwitchList list_;
  desktop::WindowId noted_;
  desktop::Desktop& desktop_;
  std::function<void(desktop::WindowId)> makeKeyTarget_;
  TimerBank* timers_;
  TitleScroller scroller_;
  std::unique_ptr<suite::SuiteWindow> suite_;
  desktop::WindowId id_ = 0;
  bool done_ = false;
};

// The picture shown for a window that has no icon of its own.
QImage placeholderIcon(int size);

}  // namespace lumi::manager
