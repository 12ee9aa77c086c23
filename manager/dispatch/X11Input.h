#pragma once
// Synthetic input on an X server through the XTEST extension: keys by
// keycode (found from the virtual-key code's keysym in the server's current
// keyboard mapping), relative pointer moves and button presses.
#include "manager/dispatch/DispatchPorts.h"
#include "manager/dispatch/VirtualKeys.h"
#include "manager/dispatch/X11Connection.h"

namespace lumi::manager {

class X11Input : public InputPort {
 public:
  explicit X11Input(X11Connection& x);

  // False when the server has no XTEST: nothing can be injected.
  bool available() const { return available_; }

  void focus(desktop::WindowId window) override;
  bool key(quint8 virtualKey, bool down) override;
  void moveBy(int dx, int dy) override;
  void button(Button button, bool down) override;
  void flush() override;

 private:
  void loadMapping();
  bool holdsFocus(xcb_window_t window);

  X11Connection& x_;
  bool available_ = false;
  bool mappingStale_ = true;
  KeyboardMapping mapping_;
};

}  // namespace lumi::manager
