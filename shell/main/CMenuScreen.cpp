#include "shell/main/CMenuScreen.h"

#include <QKeyEvent>
#include <QPainter>

#include "common/resources/BitmapIds.h"
#include "common/skin/BackgroundPicture.h"
#include "common/skin/SkinPainter.h"
#include "platform/text/StringTable.h"
#include "shell/base/WindowPlacement.h"

namespace lumi::shell {

using namespace resources;

namespace {
skin::SkinSettings loadedSkin() {
  skin::SkinSettings skin;
  skin.Load();
  return skin;
}
}  // namespace

// The font set copies the skin as loaded, so the buttons and titles get the
// skin's face, size and weight.
CMenuScreen::CMenuScreen(CShellDialog* parent, ShellContext& context, const QList<ButtonSpec>& buttons)
    : CShellDialog(parent, context), skin_(loadedSkin()), fonts_(skin_), navigation_(static_cast<int>(buttons.size())) {
  background_ = skin::LoadWindowBackground(skin_, kScreenBackground);
  if (background_.isNull()) {
    background_ = QImage(kShellWindowSize, QImage::Format_RGB32);
    background_.fill(Qt::black);
  }
  for (int i = 0; i < buttons.size(); ++i) {
    const ButtonSpec& spec = buttons[i];
    auto* b = new skin::CSkinButton(this, kFirstControlId + i);
    if (spec.shortButton) b->SetBitmaps(kShortButtonNormal, kShortButtonFocused, kShortButtonPressed, 0, true);
    else b->SetBitmaps(kMenuButtonNormal, kMenuButtonFocused, kMenuButtonPressed, 0, true);
    b->setGeometry(spec.rect);
    b->SetFont(fonts_.Button());
    b->SetLayout(6);
    b->SetCaption(text::str(spec.stringId));
    b->SetBackgroundProvider([this] { return background_; });
    b->SetTransparentFrom(skin_);
    connect(b, &skin::CSkinButton::hovered, this, [this](int id) { SetFocusIndex(id - kFirstControlId); });
    connect(b, &skin::CSkinButton::command, this, [this](int id) { OnButton(id - kFirstControlId); });
    buttons_.append(b);
  }
  SetFocusIndex(0);
}

void CMenuScreen::SetFocusIndex(int index) {
  navigation_.SetFocus(index);
  for (int i = 0; i < buttons_.size(); ++i) {
    const int state = i == navigation_.focus() ? 1 : 0;
    if (buttons_[i]->State() != state) buttons_[i]->SetState(state);
  }
  update();
}

void CMenuScreen::press(int index) {
  SetFocusIndex(index);
  if (auto* b = buttons_.value(index)) b->Press(1, true);
}

void CMenuScreen::OnShellKey(int code) {
  if (const auto step = navigation_.OnKey(code)) {
    if (step->press) press(step->focus);
    else SetFocusIndex(step->focus);
    return;
  }
  CShellDialog::OnShellKey(code);
}

void CMenuScreen::keyPressEvent(QKeyEvent* e) {
  const MenuKey key = TranslateMenuKey(e->key());
  if (key.kind == MenuKey::Code) OnShellKey(key.code);
  else if (key.kind == MenuKey::Pass) CShellDialog::keyPressEvent(e);
}

QColor CMenuScreen::TextColour() const { return skin::ToQColor(skin_.FontColor()); }

QColor CMenuScreen::ShadowColour() const { return skin::ShadowToneAt(background_, QPoint(20, 20)); }

void CMenuScreen::PaintTitle(QPainter& painter, const QString& title, const QFont& font) {
  painter.setFont(font);
  skin::DrawShadowedText(painter, QRect(QPoint(0, 20), QPoint(749, 79)), Qt::AlignRight | Qt::AlignVCenter, title,
                         TextColour(), ShadowColour());
}

QImage CMenuScreen::Render() {
  // Painted off screen in one piece, then copied: no flicker on a TV.
  QImage frame(kShellWindowSize, QImage::Format_RGB32);
  QPainter painter(&frame);
  painter.drawImage(0, 0, background_);
  PaintContent(painter);
  painter.end();
  QPainter buttons(&frame);
  for (skin::CSkinButton* b : buttons_)
    if (b->isVisible() || !isVisible()) buttons.drawImage(b->geometry().topLeft(), b->Render());
  return frame;
}

void CMenuScreen::paintEvent(QPaintEvent*) {
  QImage frame(kShellWindowSize, QImage::Format_RGB32);
  QPainter painter(&frame);
  painter.drawImage(0, 0, background_);
  PaintContent(painter);
  painter.end();
  QPainter(this).drawImage(0, 0, frame);
}

}  // namespace lumi::shell
