#pragma once
// The dispatcher's windows as Qt widgets: the mode notice and the
// task-switch window, one of each at a time.
#include <QObject>
#include <QPointer>

#include "manager/dispatch/KeyDispatcher.h"
#include "manager/dispatch/ModeWindow.h"
#include "manager/dispatch/TaskSwitchWindow.h"

namespace lumi::manager {

class DispatchWidgets : public QObject, public DispatchWindows {
  Q_OBJECT

 public:
  // Becomes the dispatcher's windows until destroyed. The dispatcher, the
  // desktop and the window information must outlive it.
  DispatchWidgets(KeyDispatcher& dispatcher, desktop::Desktop& desktop, WindowInfo& info, QObject* parent = nullptr);
  ~DispatchWidgets() override;

  void showMode(InputMode mode) override;
  void openTaskSwitch(desktop::WindowId noted) override;

  ModeWindow* modeWindow() const { return mode_; }
  TaskSwitchWindow* taskSwitchWindow() const { return taskSwitch_; }

 private:
  KeyDispatcher& dispatcher_;
  desktop::Desktop& desktop_;
  WindowInfo& info_;
  QPointer<ModeWindow> mode_;
  QPointer<TaskSwitchWindow> taskSwitch_;
};

}  // namespace lumi::manager
