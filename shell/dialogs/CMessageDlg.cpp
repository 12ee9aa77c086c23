#include "shell/dialogs/CMessageDlg.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>

#include "common/dialog/MessageDialogPainter.h"
#include "common/resources/BitmapIds.h"
#include "common/resources/BitmapSource.h"
#include "common/skin/SkinButton.h"
#include "common/suite/SuiteMessages.h"
#include "shell/base/WindowPlacement.h"

namespace lumi::shell {

using dialog::KeyOutcome;

namespace {

const dialog::ChoiceVariant& variantOrNone(int templateId) {
  static const dialog::ChoiceVariant kNone{0, 0, {}, dialog::kShortButtonBitmaps};
  const dialog::ChoiceVariant* variant = dialog::ChoiceVariantFor(templateId);
  if (!variant) qWarning("message dialog: template %d is not a choice menu", templateId);
  return variant ? *variant : kNone;
}

}  // namespace

CMessageDlg::CMessageDlg(CShellDialog* parent, ShellContext& context, int buttonMode)
    : CShellDialog(parent, context, Layer::Dialog), model_(dialog::ShellForm(), buttonMode) {
  build(dialog::ShellForm().bitmaps);
}

CMessageDlg::CMessageDlg(CShellDialog* parent, ShellContext& context, const dialog::ChoiceVariant& variant,
                         const std::vector<dialog::ChoiceButton>& buttons)
    : CShellDialog(parent, context, Layer::Dialog), model_(dialog::ShellForm(), variant, buttons) {
  build(variant.bitmaps);
}

CMessageDlg::~CMessageDlg() { scrollTimer_.stop(); }

void CMessageDlg::build(const dialog::ButtonBitmaps& bitmaps) {
  previousCurrent_ = context().current;
  setWindowTitle(kTitle);
  SetOwnPlacement(dialog::kMessageDialogSize);
  SetDragAnywhere(true);
  SetKeepsRemoteKeys(true);
  setAttribute(Qt::WA_OpaquePaintEvent);

  for (const dialog::DialogButton& entry : model_.Buttons()) {
    auto* button = new skin::CSkinButton(this, entry.controlId);
    button->setGeometry(entry.rect);
    button->SetBitmaps(bitmaps.normal, bitmaps.focused, bitmaps.pressed, 0, true);
    button->SetFont(fonts_.Button());
    button->SetLayout(skin::kLayoutCentred);
    button->SetCaption(entry.caption);
    // The bitmaps' rounded corners show the dialog's background behind them.
    button->SetBackgroundProvider([this] { return background_; });
    connect(button, &skin::CSkinButton::hovered, this,
            [this](int id) { showFocus(model_.FocusButton(model_.IndexOf(id))); });
    connect(button, &skin::CSkinButton::command, this, [this](int id) { done(model_.ResultFor(id)); });
    buttons_.push_back(button);
  }
  if (const resources::BitmapSource* source = resources::currentBitmapSource())
    background_ = source->bitmap(resources::kMessageBackground);
  setMask(dialog::MessageDialogRegion());
  scrollTimer_.setInterval(dialog::kScrollPeriodMs);
  connect(&scrollTimer_, &QTimer::timeout, this, &CMessageDlg::scrollStep);
}

void CMessageDlg::SetLine(const QString& text, int index, Qt::Alignment format) {
  model_.SetLine(text, index, format);
  update();
}

void CMessageDlg::SetMessage(const QString& text) {
  model_.SetMessage(text);
  update();
}

skin::CSkinButton* CMessageDlg::Button(int index) const {
  return index >= 0 && index < ButtonCount() ? buttons_[static_cast<size_t>(index)] : nullptr;
}

QFont CMessageDlg::LineFont() const { return fonts_.Button(); }

QImage CMessageDlg::Render() const { return dialog::PaintMessageDialog(model_, background_, LineFont()); }

int CMessageDlg::DoModal() {
  finished_ = false;
  if (context().current != this) previousCurrent_ = context().current;
  if (shownBefore_) {
    // A second run: the base window announces a window only the first time
    // it is shown.
    context().SetCurrentWindow(this);
    scrollTimer_.start();
  }
  return exec();
}

QPoint CMessageDlg::InitialPosition() const {
  const QWidget* near = parentWidget() ? parentWidget() : static_cast<QWidget*>(context().main.data());
  const QRect monitor = context().MonitorAt(near ? near->geometry() : QRect());
  return dialog::DialogPosition(model_.Form(), monitor, monitor.size(), size());
}

void CMessageDlg::OnInitDialog() {
  shownBefore_ = true;
  move(InitialPosition());
  const QFontMetrics metrics(LineFont());
  model_.MeasureLines([&](const QString& text) { return metrics.horizontalAdvance(text); });
  scrollTimer_.start();
  setFocus();
  if (skin::CSkinButton* first = Button(model_.Focus())) first->SetState(skin::kStateFocused);
}

void CMessageDlg::OnShellKey(int code) { apply(model_.OnKey(code)); }

void CMessageDlg::keyPressEvent(QKeyEvent* e) {
  const KeyOutcome outcome = model_.OnKeyboard(e->key());
  if (outcome.kind == KeyOutcome::Pass) {
    CShellDialog::keyPressEvent(e);
    return;
  }
  apply(outcome);
}

void CMessageDlg::apply(const KeyOutcome& outcome) {
  switch (outcome.kind) {
    case KeyOutcome::Focus:
      showFocus(outcome);
      break;
    case KeyOutcome::Press:
      if (skin::CSkinButton* button = Button(outcome.button)) button->Press(skin::kStateFocused, true);
      break;
    case KeyOutcome::Cancel:
      done(dialog::kResultCancel);
      break;
    case KeyOutcome::Power:
      // The window behind handles the power key once this one is gone: it
      // is current again by the time the posted key arrives.
      if (CShellDialog* target = PowerKeyTarget())
        context().desktop->post(target->windowId(), suite::WM_REMOTE_KEY, suite::KeyPower, 0);
      done(dialog::kResultCancel);
      break;
    case KeyOutcome::Ignore:
    case KeyOutcome::Pass:
      break;
  }
}

void CMessageDlg::showFocus(const KeyOutcome& outcome) {
  if (outcome.kind != KeyOutcome::Focus) return;
  if (skin::CSkinButton* old = Button(outcome.previous)) old->SetState(skin::kStateNormal);
  if (skin::CSkinButton* now = Button(outcome.button)) now->SetState(skin::kStateFocused);
}

void CMessageDlg::scrollStep() {
  for (const int line : model_.ScrollStep()) update(dialog::LineRepaintRect(line));
}

void CMessageDlg::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, Render());
}

void CMessageDlg::done(int result) {
  // The first ending counts: a button command still queued behind a Cancel
  // does not change the answer.
  if (finished_) return;
  finished_ = true;
  scrollTimer_.stop();
  if (context().current == this) {
    CShellDialog* back = parentShellWindow() ? parentShellWindow() : previousCurrent_.data();
    context().SetCurrentWindow(back);
  }
  CShellDialog::done(result);
}

void CMessageDlg::reject() { done(dialog::kResultCancel); }

CChoiceDlg::CChoiceDlg(CShellDialog* parent, ShellContext& context, int templateId,
                       const std::vector<dialog::ChoiceButton>& buttons)
    : CMessageDlg(parent, context, variantOrNone(templateId), buttons) {}

}  // namespace lumi::shell
