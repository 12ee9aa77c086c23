#pragma once
// The updater's message dialog: the suite's message dialog in the updater's
// form, driven by the remote keys the main window hands it.
#include "common/dialog/MessageDialogModel.h"

#include <QDialog>
#include <QImage>
#include <QTimer>

namespace lumi::updater {

class UpdaterMessageDlg : public QDialog {
  Q_OBJECT

 public:
  // `selfCloseMs` > 0: a notice that also ends by itself after that long,
  // for the moments when no remote can reach it (the manager, which relays
  // the remote, may be stopped for the installation).
  UpdaterMessageDlg(int buttonMode, const QString& message, const QString& title = {}, int selfCloseMs = 0,
                    QWidget* parent = nullptr);

  // A key code from the remote (WM_REMOTE_KEY).
  void remoteKey(int code);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void apply(const dialog::KeyOutcome& outcome);

  dialog::MessageDialogModel model_;
  QImage background_;
  QImage buttonNormal_, buttonFocused_;
  QTimer selfClose_;
};

// Shows a dialog modally and answers its result (1 first button, 2 second
// or cancel). The dialog is the current key receiver while it runs.
int RunMessageDialog(UpdaterMessageDlg& dialog);
UpdaterMessageDlg* CurrentMessageDialog();

}  // namespace lumi::updater
