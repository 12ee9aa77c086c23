#include "shell/dialogs/CBackgroundChooserDlg.h"

#include "platform/text/StringTable.h"

namespace lumi::shell {

CBackgroundChooserDlg::CBackgroundChooserDlg(CShellDialog* mainWindow, ShellContext& context)
    : CChoiceDlg(mainWindow, context, dialog::kBackgroundChooserTemplate,
                 {{kChangeId, text::str(3319)}, {kCancelId, text::str(3118)}}) {}

QPoint CBackgroundChooserDlg::InitialPosition() const { return context().mainPosition + kOffset; }

int ShowBackgroundChooser(CShellDialog& mainWindow) {
  CBackgroundChooserDlg dialog(&mainWindow, mainWindow.context());
  return dialog.DoModal();
}

}  // namespace lumi::shell
