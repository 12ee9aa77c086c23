#include "common/skin/SuiteIcon.h"

#include <QPainter>
#include <QPainterPath>

namespace lumi::skin {

QImage SuiteIconImage(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal u = size / 16.0;
  // Cabinet and screen.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(16, 24, 16));
  p.drawRoundedRect(QRectF(0.5 * u, 2 * u, 15 * u, 11 * u), 2 * u, 2 * u);
  p.setBrush(QColor(16, 158, 115));
  p.drawRoundedRect(QRectF(1.75 * u, 3.25 * u, 12.5 * u, 8.5 * u), 1 * u, 1 * u);
  // Stand.
  p.setBrush(QColor(16, 24, 16));
  p.drawRect(QRectF(6 * u, 13 * u, 4 * u, 1.25 * u));
  p.drawRoundedRect(QRectF(3.5 * u, 14 * u, 9 * u, 1.5 * u), 0.5 * u, 0.5 * u);
  // Play sign.
  QPainterPath play;
  play.moveTo(6.5 * u, 5 * u);
  play.lineTo(10.5 * u, 7.5 * u);
  play.lineTo(6.5 * u, 10 * u);
  play.closeSubpath();
  p.setBrush(Qt::white);
  p.drawPath(play);
  return image;
}

QIcon SuiteIcon() {
  QIcon icon;
  for (int size : {16, 32, 48, 64}) icon.addPixmap(QPixmap::fromImage(SuiteIconImage(size)));
  return icon;
}

}  // namespace lumi::skin
