#include "manager/dispatch/KeyDispatcher.h"

#include <vector>

#include "common/suite/PeerWindows.h"
#include "common/suite/SuiteMessages.h"
#include "manager/core/ConnectionProcedure.h"
#include "manager/core/ManagerStrings.h"
#include "manager/dispatch/VirtualKeys.h"

namespace lumi::manager {
namespace {

using Kind = KeyAction::Kind;
using desktop::WindowId;

}  // namespace

KeyDispatcher::KeyDispatcher(desktop::Desktop& desktop, InputPort& input, ScreenPowerPort& screen,
                             ManagerDialog& dialog, const text::StringTable& strings)
    : desktop_(desktop), input_(input), screen_(screen), dialog_(dialog), strings_(strings) {
  screen_.watchScreenSaver([this] { screenSaverStarting(); });
}

KeyDispatcher::Outcome KeyDispatcher::remoteCode(quint32 code) {
  // The receiver's answer to the connection procedure comes before anything
  // that may drop a code: a screen saver, a dark display or an empty desktop
  // must not make the connection fail.
  if (code == ConnectionProcedure::kAdvanceCode) {
    if (connection_) connection_(code);
    return Outcome::ConnectionCode;
  }

  // A key that wakes the screen or the display does nothing else. When the
  // setting cannot be switched off the key goes on as usual, so that a
  // setting the system will not give up cannot swallow every key.
  if (screenSaverFlag_) {
    if (screen_.disableScreenSaver()) {
      screenSaverFlag_ = false;
      return Outcome::ScreenSaverOff;
    }
    qWarning("dispatch: the screen saver could not be switched off");
  }
  const ScreenPowerPort::DisplayPower power = screen_.displayPower();
  if (power.powerOffActive) {
    if (screen_.disableDisplayPowerOff()) return Outcome::DisplayPowerOff;
    qWarning("dispatch: the display power-off setting could not be switched off");
  } else if (power.lowPowerActive) {
    if (screen_.disableDisplayLowPower()) return Outcome::DisplayLowPower;
    qWarning("dispatch: the display low-power setting could not be switched off");
  }

  const WindowId front = desktop_.foregroundWindow();
  if (front == 0) return Outcome::NoForeground;
  if (front != target_) takeTarget(front);
  // A suite window that hangs holds the key here until the desktop layer's
  // send time-out. Only suite windows can time out (a foreign one answers 0
  // at once), so such a window still gets its key code, queued until it
  // recovers, rather than the keystrokes meant for other programs (for
  // "C", Alt+F4).
  const bool answered = suite::AnswersPing(target_, desktop_);
  const TargetKind kind = answered || desktop_.lastSendTimedOut() ? TargetKind::Suite : TargetKind::Foreign;

  if (code == 0) return Outcome::Ignored;
  if (kind == TargetKind::Foreign) {
    if (!desktop_.windowExists(target_)) return Outcome::TargetGone;
    adrenalin_ = desktop_.windowTitle(target_) == kAdrenalinTitle;
  }

  const KeyLookup lookup = lookupKey(model_, kind, mode_, code, kind == TargetKind::Foreign && adrenalin_);
  if (!lookup.known) {
    dialog_.showInputValue(strings_.text(textid::kInvalidKey));
    return Outcome::Unknown;
  }
  if (lookup.text) dialog_.showInputValue(*lookup.text);
  if (kind == TargetKind::Foreign) {
    carryOutForeign(lookup.action);
    return Outcome::Foreign;
  }
  carryOutSuite(lookup, code);
  return Outcome::Suite;
}

void KeyDispatcher::setKeyTarget(WindowId window) {
  takeTarget(window != 0 ? window : desktop_.foregroundWindow());
}

void KeyDispatcher::takeTarget(WindowId window) {
  target_ = window;
  if (window == 0) return;
  const QString title = desktop_.windowTitle(window);
  if (title.isEmpty()) return;
  targetTitle_ = title;
  dialog_.showKeyTarget(title);
}

void KeyDispatcher::carryOutForeign(const KeyAction& action) {
  switch (action.kind) {
    case Kind::Keystroke:
      keystroke(action.keystroke);
      break;
    case Kind::MenuKey:
      // The menu key is meant for the target alone, as a system key press of
      // Alt. X has no per-window key messages that programs trust, so it is
      // an Alt press and release on the focused target, like any keystroke.
      input_.focus(target_);
      input_.key(vk::Menu, true);
      input_.key(vk::Menu, false);
      input_.flush();
      break;
    default:
      carryOutCommon(action);
      break;
  }
}

void KeyDispatcher::carryOutCommon(const KeyAction& action) {
  // What a key does whatever program is in front.
  switch (action.kind) {
    case Kind::Mouse:
      mouse(action.mouse);
      break;
    case Kind::TaskSwitch:
      taskSwitch();
      break;
    case Kind::Power:
      powerAction();
      break;
    case Kind::ModeChange:
      changeMode(action.mode);
      break;
    default:
      break;
  }
}

void KeyDispatcher::carryOutSuite(const KeyLookup& lookup, quint32 code) {
  const bool own = ownWindow_ != 0 && target_ == ownWindow_;
  if (lookup.typedDigit) typeDigit(lookup.typedDigit);
  const KeyAction& action = lookup.action;
  switch (action.kind) {
    case Kind::SuiteKey:
      if (own) {
        actOnDialog(code, action.suiteKey);
      } else {
        desktop_.post(target_, suite::WM_REMOTE_KEY, std::uint64_t(action.suiteKey), 0);
      }
      break;
    case Kind::Keystroke:
    case Kind::MenuKey:
      break;  // keystrokes are for foreign programs
    default:
      carryOutCommon(action);
      break;
  }
}

bool KeyDispatcher::actOnDialog(quint32 code, int suiteKey) {
  switch (dialogAction(model_, code, suiteKey)) {
    case DialogAction::PreviousControl:
      dialog_.focusPreviousControl();
      return true;
    case DialogAction::NextControl:
      dialog_.focusNextControl();
      return true;
    case DialogAction::PressFocused:
      dialog_.pressFocusedControl();
      return true;
    case DialogAction::Power:
      powerAction();
      return true;
    case DialogAction::None:
      break;
  }
  return false;
}

void KeyDispatcher::typeDigit(char digit) {
  // The keystroke a keyboard would give: the key's scan code in bits 16-23
  // ('1' to '9' are 2 to 10, '0' is 11) and a repeat count of 1.
  const int scanCode = digit == '0' ? 11 : digit - '1' + 2;
  const std::int64_t lParam = 1 | (std::int64_t(scanCode) << 16);
  desktop_.post(target_, WM_KEYDOWN, std::uint64_t(digit), lParam);
  desktop_.send(target_, WM_CHAR, std::uint64_t(digit), lParam);
  desktop_.post(target_, WM_KEYUP, std::uint64_t(digit), 1);
}

void KeyDispatcher::keystroke(const Keystroke& keys) {
  input_.focus(target_);
  std::vector<quint8> modifiers;
  if (keys.ctrl) modifiers.push_back(vk::Control);
  if (keys.alt) modifiers.push_back(vk::Menu);
  if (keys.shift) modifiers.push_back(vk::Shift);
  for (quint8 modifier : modifiers) input_.key(modifier, true);
  input_.key(keys.key, true);
  input_.key(keys.key, false);
  // Released in the order they were pressed: Ctrl, Alt, Shift.
  for (quint8 modifier : modifiers) input_.key(modifier, false);
  input_.flush();
}

void KeyDispatcher::mouse(MouseAction action) {
  for (const MouseMove& move : mouseMoves(action)) input_.moveBy(move.dx, move.dy);
  if (action == MouseAction::LeftClick) {
    input_.button(InputPort::Button::Left, true);
    lastButton_ = LastButton::LeftDown;
    releaseButton();
  } else if (action == MouseAction::RightClick) {
    input_.button(InputPort::Button::Right, true);
    lastButton_ = LastButton::RightDown;
    releaseButton();
  }
  input_.flush();
}

void KeyDispatcher::releaseButton() {
  // Only a button that is down is let go.
  if (lastButton_ == LastButton::LeftDown) {
    input_.button(InputPort::Button::Left, false);
  } else if (lastButton_ == LastButton::RightDown) {
    input_.button(InputPort::Button::Right, false);
  }
  lastButton_ = LastButton::Released;
}

void KeyDispatcher::changeMode(InputMode mode) {
  mode_ = mode;
  if (windows_) windows_->showMode(mode);
}

void KeyDispatcher::taskSwitch() {
  // Code 14 closes an open one without a choice. A foreign window that
  // happens to have the title takes no messages and does not count, or it
  // would keep the task switcher from ever opening.
  for (const WindowId open : desktop_.windowsTitled(kTaskSwitchTitle)) {
    if (!desktop_.post(open, suite::WM_REMOTE_KEY, suite::KeyExit, 0)) continue;
    desktop_.bringToFront(open);
    return;
  }
  if (windows_) windows_->openTaskSwitch(desktop_.foregroundWindow());
}

void KeyDispatcher::powerAction() {
  dialog_.showInputValue(QStringLiteral("Power"));
  if (const WindowId shell = suite::FindPeerWindow(suite::kShellTitle, desktop_)) {
    desktop_.post(shell, suite::WM_REMOTE_KEY, suite::KeyPower, 0);
    return;
  }
  if (ownWindow_ != 0) takeTarget(ownWindow_);
  if (launchShell_) launchShell_();
}

}  // namespace lumi::manager
