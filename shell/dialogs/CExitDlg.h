#pragma once
// The exit dialog: the four ways out of the menu, "종 료", "최소화", "취 소"
// and "전원끄기", in a row under "종료하시겠습니까?". The focus stops at both
// ends; the power key cancels and minimises (or restores) the shell through
// the main window.
#include <functional>

#include "platform/power/PowerControl.h"
#include "shell/dialogs/CMessageDlg.h"

namespace lumi::shell {

class CExitDlg : public CChoiceDlg {
  Q_OBJECT

 public:
  // Control ids in focus order, and what DoModal answers for each.
  static constexpr int kExitId = 1271;      // 1
  static constexpr int kMinimiseId = 1232;  // 1232
  static constexpr int kCancelId = 1255;    // 2
  static constexpr int kPowerOffId = 1233;  // 1233
  static constexpr int kResultExit = 1;
  static constexpr int kResultMinimise = 1232;
  static constexpr int kResultCancel = 2;
  static constexpr int kResultPowerOff = 1233;

  // `mainWindow` is the parent; the power key goes to it.
  CExitDlg(CShellDialog* mainWindow, ShellContext& context);

 protected:
  CShellDialog* PowerKeyTarget() const override;
};

// What the main window does with the exit dialog's answer.
struct ExitActions {
  // "종 료": restore the display settings found at start, then destroy the
  // main window (which ends the shell).
  std::function<void()> exit;
  // "최소화": when empty, WM_REMOTE_KEY 0 is posted to the main window, which
  // handles it as the power key.
  std::function<void()> minimise;
  // "전원끄기": usually TurnOff.
  std::function<void()> powerOff;
};

// Shows the exit dialog modally over the main window and then runs the
// action of the answer; "취 소" does nothing. The dialog is gone before an
// action runs, so an action may destroy the main window. Answers the result.
int ShowExitDialog(CShellDialog& mainWindow, const ExitActions& actions);

// The text shown when the system refuses to power off.
inline constexpr int kPowerOffRefusedText = 3340;

// "전원끄기": asks the system to power off; when it agrees, `exit` ends the
// shell. When it refuses (the user may not power the machine off, no logind)
// the user is told so and the shell stays as it was: a power-off that did
// not happen must not look like one. True when the system agreed.
bool TurnOff(CShellDialog& mainWindow, power::PowerControl& power, const std::function<void()>& exit);

}  // namespace lumi::shell
