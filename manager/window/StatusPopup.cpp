#include "manager/window/StatusPopup.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>

#include "manager/core/ManagerStrings.h"

namespace lumi::manager {
namespace {

QFont barFont() {
  QFont font(QStringLiteral("Gulim"));
  font.setPixelSize(StatusPopup::kFontPixels);
  font.setBold(true);
  return font;
}

}  // namespace

StatusPopupLayout StatusPopupLayout::place(QSize text, QRect workArea, QPoint corner) {
  int width = text.width() + kBarMargin + kButtonWidth;
  int height = text.height() + kHeightMargin;
  // Too wide for the screen: as wide as it, on two lines' height.
  if (width > workArea.width()) {
    width = workArea.width();
    height *= 2;
  }
  StatusPopupLayout layout;
  layout.window = QRect(corner.x() - width + 1, corner.y() - height + 1, width, height);
  layout.bar = QRect(0, 0, width - kButtonWidth, height);
  layout.button = QRect(width - kButtonWidth, 0, kButtonWidth, height);
  return layout;
}

StatusPopup::StatusPopup(const text::StringTable& strings, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), strings_(strings) {
  button_ = new skin::CXPButton(this);
  connect(button_, &QAbstractButton::clicked, this, [this] {
    if (popup_.button == ConnectionHost::PopupButton::Stop) emit stopClicked();
    else hide();
  });
}

QRect StatusPopup::workArea() const {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? screen->availableGeometry() : QRect(0, 0, 800, 600);
}

QString StatusPopup::barText() const {
  if (!popup_.percentage || popup_.maximum <= 0) return popup_.text;
  return QStringLiteral("%1 %2%").arg(popup_.text).arg(popup_.position * 100 / popup_.maximum);
}

void StatusPopup::show(const ConnectionHost::Popup& popup) {
  popup_ = popup;
  ++generation_;
  if (popup.text.isEmpty()) {
    hide();
    return;
  }
  const bool stop = popup.button == ConnectionHost::PopupButton::Stop;
  button_->setText(strings_.text(stop ? textid::kStopButton : textid::kConfirmButton));
  if (!stop) {
    const int shown = generation_;
    QTimer::singleShot(kConfirmHideMs, this, [this, shown] {
      if (shown == generation_) hide();
    });
  }
  place();
  update();
  QWidget::show();
}

void StatusPopup::place() {
  const QRect area = workArea();
  // Sized for the longest text the bar shows, so the percentage does not
  // make it grow while it counts.
  const QFontMetrics metrics(barFont());
  const QString widest = popup_.percentage ? popup_.text + QStringLiteral(" 100%") : popup_.text;
  const QSize text(metrics.horizontalAdvance(widest), metrics.height());
  const StatusPopupLayout layout = StatusPopupLayout::place(text, area, dragged_.value_or(area.bottomRight()));
  bar_ = layout.bar;
  button_->setGeometry(layout.button);
  setGeometry(layout.window);
}

void StatusPopup::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  // The bar: its filled part in the popup's blue, the text in white over it.
  QRect filled = bar_;
  if (popup_.percentage && popup_.maximum > 0)
    filled.setWidth(bar_.width() * qBound(0, popup_.position, popup_.maximum) / popup_.maximum);
  painter.fillRect(bar_, QColor(kBackground).darker(160));
  painter.fillRect(filled, QColor(kBackground));
  painter.setFont(barFont());
  painter.setPen(Qt::white);
  painter.drawText(bar_, Qt::AlignCenter | Qt::TextWordWrap, barText());
}

void StatusPopup::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) grab_ = event->globalPosition().toPoint() - geometry().bottomRight();
  QWidget::mousePressEvent(event);
}

void StatusPopup::mouseMoveEvent(QMouseEvent* event) {
  if (event->buttons() & Qt::LeftButton) {
    dragged_ = event->globalPosition().toPoint() - grab_;
    move(*dragged_ - QPoint(width() - 1, height() - 1));
  }
  QWidget::mouseMoveEvent(event);
}

void StatusPopup::mouseDoubleClickEvent(QMouseEvent* event) {
  dragged_.reset();
  place();
  QWidget::mouseDoubleClickEvent(event);
}

}  // namespace lumi::manager
