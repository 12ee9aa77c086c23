#pragma once
// The shell's message dialog: a modal 611 x 345 window with rounded corners,
// up to five lines of large text and one or two buttons the remote moves
// between and presses. While it runs it is the shell's current window (the
// manager's key target); when it ends its parent is current again.
//
//   CMessageDlg dlg(this, context(), dialog::kModeYesNo);
//   dlg.SetLine(text::str(3175), 2, dialog::kCentred);
//   if (dlg.DoModal() == 1) ...
//
// CChoiceDlg is the same window as a small choice menu with the buttons of a
// choice template; each button ends it with its control id.
#include <QImage>
#include <QTimer>
#include <vector>

#include "common/dialog/MessageDialogModel.h"
#include "common/skin/FontSet.h"
#include "shell/base/CShellDialog.h"

namespace lumi::skin {
class CSkinButton;
}

namespace lumi::shell {

class CMessageDlg : public CShellDialog {
  Q_OBJECT

 public:
  static constexpr int kScrollTimerId = 215;
  static inline const QString kTitle = QStringLiteral("MessageDlg");

  // Button mode 0: "확 인"; 4: "예" / "아니오"; any other: "확 인" / "취 소".
  CMessageDlg(CShellDialog* parent, ShellContext& context, int buttonMode = dialog::kModeOneButton);
  ~CMessageDlg() override;

  void SetLine(const QString& text, int index, Qt::Alignment format = dialog::kCentred);
  void SetMessage(const QString& text);
  // Runs the dialog: 1 for the first button, 2 for the second and for
  // cancelling, the control id of the pressed button in a choice menu.
  int DoModal();

  const dialog::MessageDialogModel& Model() const { return model_; }
  skin::CSkinButton* Button(int index) const;
  int ButtonCount() const { return static_cast<int>(buttons_.size()); }
  // The window's own picture (background and lines) as it paints it.
  QImage Render() const;
  // The line font: the skin's button font.
  QFont LineFont() const;

 protected:
  CMessageDlg(CShellDialog* parent, ShellContext& context, const dialog::ChoiceVariant& variant,
              const std::vector<dialog::ChoiceButton>& buttons);

  // Where the dialog goes when it opens: centred on its parent's monitor.
  virtual QPoint InitialPosition() const;
  // Where the power key goes before the dialog cancels: the parent.
  virtual CShellDialog* PowerKeyTarget() const { return parentShellWindow(); }

  void OnInitDialog() override;
  void OnShellKey(int code) override;
  void keyPressEvent(QKeyEvent* e) override;
  void paintEvent(QPaintEvent* e) override;

 public slots:
  void done(int result) override;
  void reject() override;

 private:
  void build(const dialog::ButtonBitmaps& bitmaps);
  void apply(const dialog::KeyOutcome& outcome);
  void showFocus(const dialog::KeyOutcome& outcome);
  void scrollStep();

  dialog::MessageDialogModel model_;
  mutable skin::FontSet fonts_;  // each font made on first use
  QImage background_;
  std::vector<skin::CSkinButton*> buttons_;
  QTimer scrollTimer_;  // 215
  QPointer<CShellDialog> previousCurrent_;
  bool finished_ = false;
  bool shownBefore_ = false;
};

class CChoiceDlg : public CMessageDlg {
  Q_OBJECT

 public:
  // The buttons of a choice template (765, 821, 817, 819, 820) in focus
  // order; an unknown template gives the dialog without buttons.
  CChoiceDlg(CShellDialog* parent, ShellContext& context, int templateId, const std::vector<dialog::ChoiceButton>& buttons);
};

}  // namespace lumi::shell
