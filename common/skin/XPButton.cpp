#include "common/skin/XPButton.h"

#include <QPainter>

#include "common/skin/SkinPainter.h"

namespace lumi::skin {

CXPButton::CXPButton(QWidget* parent) : QPushButton(parent) {
  // Hover follows enter and leave at once, as a 1 ms hover time would.
  setAttribute(Qt::WA_Hover);
}

CXPButton::CXPButton(const QString& text, QWidget* parent) : CXPButton(parent) { setText(text); }

QImage CXPButton::Render() const {
  XPButtonLook look;
  look.size = size();
  const QWidget* dialog = parentWidget() ? parentWidget() : this;
  look.dialogBackground = dialog->palette().color(QPalette::Window);
  look.hovered = hovered_;
  look.focused = hasFocus();
  look.pressed = isDown();
  look.isDefault = isDefault();
  look.enabled = isEnabled();
  look.caption = text();
  look.font = XPButtonFont();
  look.textColour = palette().color(QPalette::ButtonText);
  return PaintXPButton(look);
}

void CXPButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, Render());
}

void CXPButton::enterEvent(QEnterEvent* event) {
  hovered_ = true;
  update();
  QPushButton::enterEvent(event);
}

void CXPButton::leaveEvent(QEvent* event) {
  hovered_ = false;
  update();
  QPushButton::leaveEvent(event);
}

}  // namespace lumi::skin
