#include "shell/dialogs/CExitDlg.h"

#include "common/suite/SuiteMessages.h"
#include "platform/text/StringTable.h"

namespace lumi::shell {

CExitDlg::CExitDlg(CShellDialog* mainWindow, ShellContext& context)
    : CChoiceDlg(mainWindow, context, dialog::kExitTemplate,
                 {{kExitId, text::str(3119)},
                  {kMinimiseId, text::str(3192)},
                  {kCancelId, text::str(3118)},
                  {kPowerOffId, text::str(3198)}}) {
  SetLine(text::str(3177), 2, dialog::kCentred);
}

CShellDialog* CExitDlg::PowerKeyTarget() const {
  return context().main ? context().main.data() : parentShellWindow();
}

int ShowExitDialog(CShellDialog& mainWindow, const ExitActions& actions) {
  int result = 0;
  {
    CExitDlg dialog(&mainWindow, mainWindow.context());
    result = dialog.DoModal();
  }
  switch (result) {
    case CExitDlg::kResultExit:
      if (actions.exit) actions.exit();
      break;
    case CExitDlg::kResultMinimise:
      if (actions.minimise) actions.minimise();
      else mainWindow.context().desktop->post(mainWindow.windowId(), suite::WM_REMOTE_KEY, suite::KeyPower, 0);
      break;
    case CExitDlg::kResultPowerOff:
      if (actions.powerOff) actions.powerOff();
      break;
    default:
      break;
  }
  return result;
}

bool TurnOff(CShellDialog& mainWindow, power::PowerControl& power, const std::function<void()>& exit) {
  if (power.powerOff()) {
    if (exit) exit();
    return true;
  }
  CMessageDlg refused(&mainWindow, mainWindow.context(), dialog::kModeOneButton);
  refused.SetMessage(text::str(kPowerOffRefusedText));
  refused.DoModal();
  return false;
}

}  // namespace lumi::shell
