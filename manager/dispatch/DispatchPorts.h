#pragma once
// What the key dispatcher needs from the system besides the desktop layer:
// synthetic input for foreign programs, the screen saver and display power,
// and what the task-switch window shows of other programs' windows. The X11
// implementations are X11Input, X11ScreenPower and X11WindowInfo; tests put
// recording fakes in their place to check the decisions.
#include <QImage>
#include <QtGlobal>
#include <functional>

#include "platform/desktop/Desktop.h"

namespace lumi::manager {

class InputPort {
 public:
  enum class Button { Left, Right };

  virtual ~InputPort() = default;
  // Gives the window the keyboard focus. Unchecked: the input goes to
  // whichever window holds the focus when the server handles it.
  virtual void focus(desktop::WindowId window) = 0;
  // One key of a Windows virtual-key code; false when this keyboard has no such key.
  virtual bool key(quint8 virtualKey, bool down) = 0;
  // Relative pointer move.
  virtual void moveBy(int dx, int dy) = 0;
  // At the pointer, wherever it is.
  virtual void button(Button button, bool down) = 0;
  // Returns once the system has taken in everything injected so far, so that
  // nothing the manager does next (a message, a focus change) overtakes it.
  virtual void flush() {}
};

class ScreenPowerPort {
 public:
  struct DisplayPower {
    bool powerOffActive = false;  // the display is switched off after a while
    bool lowPowerActive = false;  // the display goes to standby or suspend after a while
  };

  virtual ~ScreenPowerPort() = default;
  // Called whenever the system's screen saver is about to start; the port has
  // already kept it from showing.
  virtual void watchScreenSaver(std::function<void()> starting) = 0;
  // The screen saver no longer starts by itself. True on success.
  virtual bool disableScreenSaver() = 0;
  virtual DisplayPower displayPower() = 0;
  // Each switches one setting off (and wakes a display that is dark). True on success.
  virtual bool disableDisplayPowerOff() = 0;
  virtual bool disableDisplayLowPower() = 0;
};

// What the task-switch window shows of a window beyond its title.
class WindowInfo {
 public:
  virtual ~WindowInfo() = default;
  // A window of its own on the screen (not a pop-up), or minimised: a
  // minimised window can be chosen and comes back.
  virtual bool isVisible(desktop::WindowId window) = 0;
  // Part of the desktop itself rather than a program to switch to: the
  // window manager's own window, a desktop or a panel.
  virtual bool isDesktopShell(desktop::WindowId window) = 0;
  // The window's own icon at size x size, null when it has none.
  virtual QImage icon(desktop::WindowId window, int size) = 0;
};

}  // namespace lumi::manager
