#include "manager/dispatch/DispatchWidgets.h"

namespace lumi::manager {

DispatchWidgets::DispatchWidgets(KeyDispatcher& dispatcher, desktop::Desktop& desktop, WindowInfo& info,
                                 QObject* parent)
    : QObject(parent), dispatcher_(dispatcher), desktop_(desktop), info_(info) {
  dispatcher_.setWindows(this);
}

DispatchWidgets::~DispatchWidgets() {
  dispatcher_.setWindows(nullptr);
  delete mode_;
  delete taskSwitch_;
}

void DispatchWidgets::showMode(InputMode mode) {
  // A notice still showing is replaced, and hands over the window it is to
  // give the focus back to.
  desktop::WindowId previous = desktop_.foregroundWindow();
  if (mode_) {
    if (previous == mode_->id()) previous = mode_->previous();
    delete mode_;
  }
  mode_ = new ModeWindow(mode, previous, desktop_);
  mode_->open();
}

void DispatchWidgets::openTaskSwitch(desktop::WindowId noted) {
  if (taskSwitch_) return;
  taskSwitch_ = new TaskSwitchWindow(noted, collectTaskEntries(noted, desktop_, info_, TaskSwitchList::kIconSize),
                                     desktop_, [this](desktop::WindowId window) { dispatcher_.setKeyTarget(window); });
  taskSwitch_->open();
}

}  // namespace lumi::manager
