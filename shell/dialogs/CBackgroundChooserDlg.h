#pragma once
// The background-settings chooser of the main window's "환경설정": "배경그림
// 변경" (which opens the photo browser, where a photo can be set as the
// background) or "취 소". It lies centred over the main window.
#include "shell/dialogs/CMessageDlg.h"

namespace lumi::shell {

class CBackgroundChooserDlg : public CChoiceDlg {
  Q_OBJECT

 public:
  static constexpr int kChangeId = 1304;  // answers 1304
  static constexpr int kCancelId = 1305;  // answers 1305; Esc, Backspace and Back answer 2
  static inline const QPoint kOffset{94, 127};  // from the main window's top-left corner

  CBackgroundChooserDlg(CShellDialog* mainWindow, ShellContext& context);

 protected:
  QPoint InitialPosition() const override;
};

// Runs the chooser over the main window: 1304, 1305, or 2 when cancelled.
int ShowBackgroundChooser(CShellDialog& mainWindow);

}  // namespace lumi::shell
