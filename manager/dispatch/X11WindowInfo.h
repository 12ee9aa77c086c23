#pragma once
// What the task-switch window needs to know of other programs' windows on an
// X server: whether they are shown (or minimised) and their _NET_WM_ICON.
#include "manager/dispatch/DispatchPorts.h"
#include "manager/dispatch/X11Connection.h"

#include <span>

namespace lumi::manager {

class X11WindowInfo : public WindowInfo {
 public:
  explicit X11WindowInfo(X11Connection& x) : x_(x) {}

  bool isVisible(desktop::WindowId window) override;
  // The window named by _NET_SUPPORTING_WM_CHECK, and windows of the types
  // _NET_WM_WINDOW_TYPE_DESKTOP and _NET_WM_WINDOW_TYPE_DOCK.
  bool isDesktopShell(desktop::WindowId window) override;
  QImage icon(desktop::WindowId window, int size) override;

 private:
  X11Connection& x_;
};

// The picture of a _NET_WM_ICON value (width, height, then width x height
// ARGB pixels, for each size the window offers) that suits `size` best: the
// smallest at least that large, else the largest; scaled to size x size.
// The value comes from another program, so every count is checked against
// what is there; a null image when nothing usable is.
QImage iconFromNetWmIcon(std::span<const std::uint32_t> value, int size);

}  // namespace lumi::manager
