#include "common/dialog/MessageDialogPainter.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace lumi::dialog {

QRegion MessageDialogRegion(QSize size, int corner) {
  const int w = size.width(), h = size.height();
  const double r = std::min({corner, w, h}) / 2.0;
  QRegion region;
  for (int y = 0; y < h; ++y) {
    // Distance of the row's centre into a corner band, if it lies in one.
    const double cy = y + 0.5;
    const double into = cy < r ? r - cy : (cy > h - r ? cy - (h - r) : 0.0);
    int inset = 0;
    if (into > 0) {
      const double half = r * std::sqrt(std::max(0.0, 1.0 - (into * into) / (r * r)));
      // The first pixel whose centre is within the ellipse.
      inset = static_cast<int>(std::ceil(r - half - 0.5));
    }
    if (w - 2 * inset > 0) region += QRect(inset, y, w - 2 * inset, 1);
  }
  return region;
}

QColor DialogShadowTone(const QImage& picture) {
  if (!picture.valid(kShadowSample)) return QColor(0, 0, 0);
  const QRgb p = picture.pixel(kShadowSample);
  const int least = std::min({qRed(p), qGreen(p), qBlue(p)});
  return QColor(qRed(p) - least, qGreen(p) - least, qBlue(p) - least);
}

QRect LineRepaintRect(int index) { return LineRect(index).adjusted(-2, -2, 2, 2); }

namespace {

void drawPair(QPainter& painter, const QRect& rect, int flags, const QString& text, QColor shadow) {
  painter.setPen(shadow);
  painter.drawText(rect.translated(1, 1), flags, text);
  painter.setPen(Qt::white);
  painter.drawText(rect, flags, text);
}

}  // namespace

QImage PaintMessageDialog(const MessageDialogModel& model, const QImage& background, const QFont& font) {
  QImage picture(kMessageDialogSize, QImage::Format_RGB32);
  picture.fill(Qt::black);
  QPainter painter(&picture);
  if (!background.isNull()) painter.drawImage(picture.rect(), background);
  const QColor shadow = DialogShadowTone(picture);

  QFont lineFont = font;
  lineFont.setStyleStrategy(QFont::StyleStrategy(lineFont.styleStrategy() | QFont::PreferAntialias));
  painter.setFont(lineFont);
  for (int i = 0; i < kLineCount; ++i) {
    const MessageLine& line = model.Line(i);
    if (line.text.isEmpty()) continue;
    const int single = Qt::TextSingleLine | Qt::AlignTop;
    if (!line.scrolling) {
      drawPair(painter, line.rect, single | line.format.toInt(), line.text, shadow);
      continue;
    }
    // Unclipped, the copies would run over the dialog's frame and be left
    // there by the repaints, which only cover the line.
    painter.save();
    painter.setClipRect(line.rect.adjusted(0, 0, 1, 1));
    for (const int offset : line.offset) {
      const QRect from(line.rect.left() - offset, line.rect.top(), line.width + 2, line.rect.height());
      drawPair(painter, from, single | Qt::AlignLeft, line.text, shadow);
    }
    painter.restore();
  }
  return picture;
}

}  // namespace lumi::dialog
