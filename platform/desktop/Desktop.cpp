#include "platform/desktop/Desktop.h"

#include "platform/desktop/InProcessDesktop.h"
#include "platform/desktop/X11Desktop.h"

namespace lumi::desktop {
namespace {

std::unique_ptr<Desktop>& current() {
  static std::unique_ptr<Desktop> desktop;
  return desktop;
}

}  // namespace

Desktop& Desktop::instance() {
  std::unique_ptr<Desktop>& desktop = current();
  if (!desktop) {
    if (auto x11 = X11Desktop::create()) desktop = std::move(x11);
    else desktop = std::make_unique<InProcessDesktop>();
  }
  return *desktop;
}

void Desktop::setInstance(std::unique_ptr<Desktop> desktop) { current() = std::move(desktop); }

std::vector<WindowId> Desktop::windowsTitled(const QString& title) {
  std::vector<WindowId> out;
  for (WindowId w : topLevelWindows())
    if (windowTitle(w) == title) out.push_back(w);
  return out;
}

}  // namespace lumi::desktop
