#include "common/skin/SkinButton.h"

#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QThread>

#include "common/resources/BitmapSource.h"
#include "common/skin/FontSet.h"

namespace lumi::skin {

CSkinButton::CSkinButton(QWidget* parent, int controlId) : QWidget(parent), controlId_(controlId) {
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);  // the button paints every pixel itself
  InstallFontSubstitutions();
  hoverTimer_.setInterval(kHoverPeriodMs);
  connect(&hoverTimer_, &QTimer::timeout, this, &CSkinButton::hoverTick);
  pressTimer_.setInterval(kPressDelayMs);
  pressTimer_.setSingleShot(true);
  connect(&pressTimer_, &QTimer::timeout, this, [this] { Apply(logic_.finishPress()); });
}

bool CSkinButton::SetBitmaps(int normalId, int focusedId, int pressedId, int backgroundId, bool keepSize,
                             const resources::BitmapSource* source) {
  if (!source) source = resources::currentBitmapSource();
  if (!source) qWarning("skin: button %d: no bitmap source to load bitmaps from", controlId_);
  bool complete = source != nullptr;
  auto load = [&](int id) {
    if (id == 0 || !source) return QImage();
    QImage image = source->bitmap(id);
    if (image.isNull()) complete = false;
    return image;
  };
  SetBitmapImages(load(normalId), load(focusedId), load(pressedId), load(backgroundId), keepSize);
  return complete;
}

void CSkinButton::SetBitmapImages(const QImage& normal, const QImage& focused, const QImage& pressed,
                                  const QImage& background, bool keepSize) {
  normal_ = normal;
  focused_ = focused;
  pressed_ = pressed;
  background_ = background;
  if (!keepSize && !normal_.isNull()) resize(normal_.size());
  update();
}

void CSkinButton::SetFont(const QFont& font) {
  font_ = font;
  font_.setStyleStrategy(QFont::StyleStrategy(font_.styleStrategy() | QFont::PreferAntialias));
  hasCaption_ = true;
  update();
}

void CSkinButton::SetLayout(int layout) {
  layout_ = layout;
  update();
}

void CSkinButton::SetCaption(const QString& caption) {
  caption_ = caption;
  hasCaption_ = true;
  update();
}

void CSkinButton::SetIcon(const QImage& icon, const QImage& mask) {
  icon_ = icon;
  iconMask_ = mask;
  update();
}

void CSkinButton::SetOffsetWhenPressed(bool on) {
  offsetWhenPressed_ = on;
  update();
}

void CSkinButton::SetState(int state) { Apply(logic_.setState(state)); }

void CSkinButton::Press(int nextState, bool wait) { Apply(logic_.press(nextState, wait)); }

bool CSkinButton::SetTransparent() {
  SkinSettings skin;
  skin.Load();
  SetTransparentFrom(skin);
  return transparent_;
}

void CSkinButton::SetTransparentFrom(const SkinSettings& skin) {
  transparent_ = skin.IsUserDesign();
  box_ = transparent_ ? BoxStyle::FromSkin(skin) : BoxStyle{};
  skinTextColour_ = ToQColor(skin.FontColor());
  update();
}

void CSkinButton::EnableMouse(bool on) { logic_.enableMouse(on); }

void CSkinButton::SetBackgroundProvider(std::function<QImage()> provider) {
  backgroundProvider_ = std::move(provider);
  update();
}

QImage CSkinButton::Render() const {
  SkinButtonLook look;
  look.size = size();
  look.state = logic_.state();
  if (backgroundProvider_) {
    look.parentBackground = backgroundProvider_();
    look.rectInParent = geometry();
  }
  look.transparent = transparent_;
  look.box = box_;
  look.normal = normal_;
  look.focused = focused_;
  look.pressed = pressed_;
  look.background = background_;
  if (!transparent_ && normal_.isNull() && focused_.isNull() && pressed_.isNull() && background_.isNull()) {
    look.box = BoxStyle::Current();
  }
  look.layout = layout_;
  look.icon = icon_;
  look.iconMask = iconMask_;
  look.hasCaption = hasCaption_;
  look.caption = caption_;
  look.font = font_;
  look.textColour = transparent_ ? skinTextColour_ : QColor(Qt::white);
  look.offsetWhenPressed = offsetWhenPressed_;
  return PaintSkinButton(look);
}

void CSkinButton::Apply(const ButtonEffects& effects) {
  if (effects.redraw) repaint();
  if (effects.postHover) {
    const int id = controlId_;
    QMetaObject::invokeMethod(this, [this, id] { emit hovered(id); }, Qt::QueuedConnection);
  }
  if (effects.startHoverTimer) hoverTimer_.start();
  if (effects.stopHoverTimer) hoverTimer_.stop();
  if (effects.startPressTimer) pressTimer_.start();
  if (effects.pauseThenFinish) {
    // The pressed look stays on screen for the pause; the window's other
    // work waits, as a press from the remote is meant to be seen.
    QThread::msleep(kPressDelayMs);
    if (logic_.finishPress().redraw) repaint();
  }
  if (effects.postCommand) postCommand();
  if (effects.clicked) OnClicked();
}

void CSkinButton::postCommand() {
  const int id = controlId_;
  QMetaObject::invokeMethod(this, [this, id] { emit command(id); }, Qt::QueuedConnection);
}

void CSkinButton::OnClicked() { postCommand(); }

void CSkinButton::SwapNormalAndFocused() {
  std::swap(normal_, focused_);
  repaint();
}

void CSkinButton::hoverTick() {
  Apply(logic_.hoverTick(rect().contains(mapFromGlobal(QCursor::pos()))));
}

void CSkinButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, Render());
}

void CSkinButton::mouseMoveEvent(QMouseEvent* event) {
  Apply(logic_.mouseMoved(event->globalPosition().toPoint(), rect().contains(event->position().toPoint())));
}

void CSkinButton::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) Apply(logic_.leftDown());
  else QWidget::mousePressEvent(event);
}

void CSkinButton::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) Apply(logic_.leftUp(rect().contains(event->position().toPoint())));
  else QWidget::mouseReleaseEvent(event);
}

void CSkinButton::keyPressEvent(QKeyEvent* event) { event->ignore(); }

void CSkinToggleButton::OnClicked() {
  if (locked_) return;
  if (!toggle_) {
    CSkinButton::OnClicked();
    return;
  }
  toggled_ = !toggled_;
  Press(kStateFocused, true);
  SwapNormalAndFocused();
}

}  // namespace lumi::skin
