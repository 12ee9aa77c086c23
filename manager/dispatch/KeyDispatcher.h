#pragma once
// The manager's key dispatcher: what one remote code becomes. In order: the
// receiver's answer goes to the connection procedure; a key that wakes the
// screen saver or the display does only that; the window in front becomes the
// key target and the identity query tells a suite window from a foreign one;
// the code is looked up in the key map of the model and the kind of window;
// then a suite window is posted WM_REMOTE_KEY (model A digits type the digit
// first), a foreign one gets synthetic keys or mouse input, the manager's own
// window acts on its dialog, and the mode, power and task-switch keys do their
// own thing.
//
// Window-free: the main window feeds it codes and claims, and implements
// ManagerDialog; the mode and task-switch windows open through
// DispatchWindows (DispatchWidgets.h). Everything runs on the user-interface
// thread, one code at a time.
#include <QString>
#include <functional>

#include "manager/core/KeyMaps.h"
#include "manager/core/RemoteModel.h"
#include "manager/dispatch/DispatchPorts.h"
#include "manager/dispatch/TaskSwitchList.h"
#include "platform/desktop/Desktop.h"
#include "platform/text/StringTable.h"

namespace lumi::manager {

// Keyboard messages of the digit keystroke that model A gives a suite window.
inline constexpr std::uint32_t WM_KEYDOWN = 0x0100;
inline constexpr std::uint32_t WM_KEYUP = 0x0101;
inline constexpr std::uint32_t WM_CHAR = 0x0102;

// The main window's side of the dispatcher.
class ManagerDialog {
 public:
  virtual ~ManagerDialog() = default;
  // The key target line "리모콘 신호를 받을 프로그램" (control 1002).
  virtual void showKeyTarget(const QString& title) = 0;
  // The input-value line (control 1026).
  virtual void showInputValue(const QString& text) = 0;
  // Keys that act on the main window itself while it is in front.
  virtual void focusPreviousControl() = 0;
  virtual void focusNextControl() = 0;
  // Clicks the control that has the focus.
  virtual void pressFocusedControl() = 0;
};

// The small windows the dispatcher opens.
class DispatchWindows {
 public:
  virtual ~DispatchWindows() = default;
  // The notice of a new input mode (1 second, or until the next key).
  virtual void showMode(InputMode mode) = 0;
  // The task-switch window; `noted` is the window that was in front (0: none).
  virtual void openTaskSwitch(desktop::WindowId noted) = 0;
};

class KeyDispatcher {
 public:
  // What became of one remote code.
  enum class Outcome {
    ConnectionCode,    // 77, handed to the connection procedure
    ScreenSaverOff,    // the key switched the screen saver off, nothing else
    DisplayPowerOff,   // the key switched the display power-off setting off, nothing else
    DisplayLowPower,   // the same for the low-power setting
    NoForeground,      // no window in front: dropped
    Ignored,           // code 0
    TargetGone,        // the foreign window in front vanished meanwhile
    Unknown,           // not in the map in use: text 105
    Suite,             // carried out for a suite window
    Foreign,           // carried out for a foreign window
  };
  enum class LastButton { None, LeftDown, RightDown, LeftUp, RightUp, Released };

  // `strings` is the manager's table; it and the ports must outlive this.
  KeyDispatcher(desktop::Desktop& desktop, InputPort& input, ScreenPowerPort& screen, ManagerDialog& dialog,
                const text::StringTable& strings);
  KeyDispatcher(const KeyDispatcher&) = delete;
  KeyDispatcher& operator=(const KeyDispatcher&) = delete;

  // The `Remote` setting.
  void setModel(RemoteModel model) { model_ = model; }
  RemoteModel model() const { return model_; }
  // The manager's main window: keys act on its dialog instead of being posted.
  void setOwnWindow(desktop::WindowId window) { ownWindow_ = window; }
  // Starts the shell when Power finds none; the caller decides whether the
  // receiver is ready for that.
  void setShellLauncher(std::function<void()> launcher) { launchShell_ = std::move(launcher); }
  // Receives code 77.
  void setConnectionHandler(std::function<void(quint32 code)> handler) { connection_ = std::move(handler); }
  void setWindows(DispatchWindows* windows) { windows_ = windows; }

  // WM_REMOTE_KEY from the reader, wParam = the remote code.
  Outcome remoteCode(quint32 code);
  // WM_SET_KEY_TARGET and the WM_COPYDATA claim 1135; 0 takes the window in front.
  void setKeyTarget(desktop::WindowId window);
  // The task-switch key and button 1009: opens the task-switch window, or
  // closes it when it is open.
  void taskSwitch();
  // The Power key: code 0 to the shell, or the shell is started.
  void powerAction();
  // The port's notice that the screen saver was about to start.
  void screenSaverStarting() { screenSaverFlag_ = true; }

  desktop::WindowId keyTarget() const { return target_; }
  QString keyTargetTitle() const { return targetTitle_; }
  InputMode inputMode() const { return mode_; }
  void setInputMode(InputMode mode) { mode_ = mode; }
  bool screenSaverFlag() const { return screenSaverFlag_; }
  bool adrenalin() const { return adrenalin_; }
  LastButton lastButton() const { return lastButton_; }

 private:
  void takeTarget(desktop::WindowId window);
  void carryOutForeign(const KeyAction& action);
  void carryOutSuite(const KeyLookup& lookup, quint32 code);
  void carryOutCommon(const KeyAction& action);
  bool actOnDialog(quint32 code, int suiteKey);
  void typeDigit(char digit);
  void keystroke(const Keystroke& keys);
  void mouse(MouseAction action);
  void releaseButton();
  void changeMode(InputMode mode);

  desktop::Desktop& desktop_;
  InputPort& input_;
  ScreenPowerPort& screen_;
  ManagerDialog& dialog_;
  const text::StringTable& strings_;
  DispatchWindows* windows_ = nullptr;
  std::function<void()> launchShell_;
  std::function<void(quint32)> connection_;

  RemoteModel model_ = RemoteModel::A;
  InputMode mode_ = kInitialInputMode;
  desktop::WindowId ownWindow_ = 0;
  desktop::WindowId target_ = 0;
  QString targetTitle_;
  bool adrenalin_ = false;
  bool screenSaverFlag_ = false;
  LastButton lastButton_ = LastButton::None;
};

}  // namespace lumi::manager
