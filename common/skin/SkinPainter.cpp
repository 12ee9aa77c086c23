#include "common/skin/SkinPainter.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

#include "common/skin/FontSet.h"

namespace lumi::skin {

QColor ShadowTone(QRgb pixel) {
  const int r = qRed(pixel), g = qGreen(pixel), b = qBlue(pixel);
  const int least = std::min({r, g, b});
  return QColor(r - least, g - least, b - least);
}

QColor ShadowToneAt(const QImage& picture, QPoint point) {
  if (!picture.valid(point)) return QColor(0, 0, 0);
  return ShadowTone(picture.pixel(point));
}

void BlendBox(QImage& image, const QRect& rect, QColor colour, int opacity) {
  const QRect area = rect.intersected(image.rect());
  if (area.isEmpty()) return;
  Q_ASSERT(image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32);
  const int a = std::clamp(opacity, 0, 255);
  const int sr = colour.red() * a, sg = colour.green() * a, sb = colour.blue() * a;
  const int keep = 255 - a;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    QRgb* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = area.left(); x <= area.right(); ++x) {
      const QRgb d = row[x];
      row[x] = qRgba((sr + qRed(d) * keep + 127) / 255, (sg + qGreen(d) * keep + 127) / 255,
                     (sb + qBlue(d) * keep + 127) / 255, qAlpha(d));
    }
  }
}

void OutlineBox(QImage& image, const QRect& rect, QColor colour) {
  if (rect.isEmpty()) return;
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.fillRect(QRect(rect.left(), rect.top(), rect.width(), 1), colour);
  painter.fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), colour);
  painter.fillRect(QRect(rect.left(), rect.top(), 1, rect.height()), colour);
  painter.fillRect(QRect(rect.right(), rect.top(), 1, rect.height()), colour);
}

void DrawShadowedText(QPainter& painter, const QRect& rect, int flags, const QString& text, QColor colour,
                      QColor shadow) {
  const QPen old = painter.pen();
  painter.setPen(shadow);
  painter.drawText(rect.translated(1, 1), flags, text);
  painter.setPen(colour);
  painter.drawText(rect, flags, text);
  painter.setPen(old);
}

BoxStyle BoxStyle::FromSkin(const SkinSettings& skin) {
  BoxStyle style;
  style.userDesign = skin.IsUserDesign();
  style.colorNormal = skin.ColorNormal();
  style.colorFocus = skin.ColorFocus();
  style.transNormal = skin.TransNormal();
  style.transFocus = skin.TransFocus();
  return style;
}

BoxStyle BoxStyle::Current() {
  SkinSettings skin;
  skin.Load();
  return FromSkin(skin);
}

void PaintHighlightBox(QImage& image, const QRect& rect, HighlightLook look, const BoxStyle& style,
                       std::optional<int> normalOpacity) {
  const bool focused = look == HighlightLook::Focused;
  if (style.userDesign) {
    if (focused) BlendBox(image, rect, ToQColor(style.colorFocus), style.transFocus);
    else BlendBox(image, rect, ToQColor(style.colorNormal), normalOpacity.value_or(style.transNormal));
    OutlineBox(image, rect, ToQColor(kUserOutline));
  } else {
    BlendBox(image, rect, ToQColor(kHighlightColour), focused ? 255 : normalOpacity.value_or(kBuiltInNormalOpacity));
    OutlineBox(image, rect, ToQColor(kBuiltInOutline));
  }
}

void DrawMaskedIcon(QImage& image, QPoint topLeft, const QImage& icon, const QImage& mask) {
  if (icon.isNull()) return;
  if (mask.isNull()) {
    QPainter painter(&image);
    painter.drawImage(topLeft, icon);
    return;
  }
  const QImage pic = icon.convertToFormat(QImage::Format_RGB32);
  const QImage msk = mask.convertToFormat(QImage::Format_RGB32);
  const QRect target = QRect(topLeft, pic.size()).intersected(image.rect());
  for (int y = target.top(); y <= target.bottom(); ++y) {
    QRgb* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    const int sy = y - topLeft.y();
    for (int x = target.left(); x <= target.right(); ++x) {
      const int sx = x - topLeft.x();
      const QRgb m = msk.valid(sx, sy) ? msk.pixel(sx, sy) : 0xFFFFFFFFu;
      row[x] = (((row[x] & m) | pic.pixel(sx, sy)) & 0x00FFFFFFu) | (row[x] & 0xFF000000u);
    }
  }
}

namespace {

// Room left free at each end of a caption that had to be made smaller.
constexpr int kCaptionMargin = 2;

QImage stateBitmap(const SkinButtonLook& look) {
  QImage chosen;
  switch (look.state) {
    case 2:
      chosen = look.pressed.isNull() ? look.focused : look.pressed;
      break;
    case 1:
      chosen = look.focused;
      break;
    default:
      chosen = look.normal;
      break;
  }
  return chosen.isNull() ? look.background : chosen;
}

}  // namespace

QFont FitCaptionFont(const QFont& font, const QString& caption, int room) {
  QFont fitted = font;
  int pixels = fitted.pixelSize();
  if (pixels <= 0) return fitted;  // a point-sized font is left as it is
  while (pixels > kSmallestCaptionPixels && QFontMetrics(fitted).horizontalAdvance(caption) > room)
    fitted.setPixelSize(--pixels);
  return fitted;
}

QImage PaintSkinButton(const SkinButtonLook& look) {
  QImage picture(look.size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
  picture.fill(Qt::black);
  const QRect all = picture.rect();
  const bool highlighted = look.state == 1 || look.state == 2;

  {
    QPainter painter(&picture);
    const QRect under = look.rectInParent.isEmpty() ? all : QRect(look.rectInParent.topLeft(), all.size());
    if (!look.parentBackground.isNull()) painter.drawImage(QPoint(0, 0), look.parentBackground, under);
  }

  // 1. background
  if (look.transparent) {
    BlendBox(picture, all, ToQColor(highlighted ? look.box.colorFocus : look.box.colorNormal),
             highlighted ? look.box.transFocus : look.box.transNormal);
    OutlineBox(picture, all, ToQColor(kUserOutline));
  } else if (const QImage bitmap = stateBitmap(look); !bitmap.isNull()) {
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(all, bitmap);
  } else {
    PaintHighlightBox(picture, all, highlighted ? HighlightLook::Focused : HighlightLook::Normal, look.box);
  }

  // 2. caption
  if (!look.hasCaption || look.caption.isEmpty()) return picture;
  const QColor shadow = ShadowToneAt(picture, kCaptionShadowSample);
  const QPoint shift = look.state == 2 && look.offsetWhenPressed ? QPoint(1, 1) : QPoint(0, 0);
  QFont font = look.font;
  font.setStyleStrategy(QFont::StyleStrategy(font.styleStrategy() | QFont::PreferAntialias));
  const int height = all.height();
  const int room = look.layout == kLayoutCentred || look.icon.isNull() ? all.width() : all.width() - height;
  font = FitCaptionFont(font, look.caption, room - 2 * kCaptionMargin);
  const QFontMetrics metrics(font);

  if (look.layout == kLayoutCentred) {
    const QString text = metrics.elidedText(look.caption, Qt::ElideRight, all.width());
    if (!look.icon.isNull()) {
      const int textLeft = (all.width() - metrics.horizontalAdvance(text)) / 2;
      DrawMaskedIcon(picture, QPoint(textLeft - 10 - look.icon.width(), (height - look.icon.height()) / 2), look.icon,
                     look.iconMask);
    }
    QPainter painter(&picture);
    painter.setFont(font);
    DrawShadowedText(painter, all.translated(shift), Qt::AlignCenter | Qt::TextSingleLine, text, look.textColour,
                     shadow);
  } else {
    QRect area = all;
    if (!look.icon.isNull()) {
      area.setLeft(all.left() + height);
      DrawMaskedIcon(picture, QPoint((height - look.icon.width()) / 2, (height - look.icon.height()) / 2), look.icon,
                     look.iconMask);
    }
    const QString text = metrics.elidedText(look.caption, Qt::ElideRight, std::max(0, area.width()));
    QPainter painter(&picture);
    painter.setFont(font);
    DrawShadowedText(painter, area.translated(shift), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text,
                     look.textColour, shadow);
  }
  return picture;
}

// ---- CXPButton ------------------------------------------------------------------

QFont XPButtonFont() { return SuiteFont(QStringLiteral("굴림"), 12, 400); }

XPFrame XPHoverFrame() {
  return {QColor(250, 196, 88), QColor(252, 210, 121), QColor(251, 202, 106), QColor(229, 151, 0)};
}

XPFrame XPFocusFrame() {
  return {QColor(153, 198, 252), QColor(162, 201, 255), QColor(162, 189, 252), QColor(162, 201, 255)};
}

QColor XPGradientBand(int band, bool emphasised) {
  const int i = std::clamp(band, 0, 63);
  return QColor(255 - i / 4, 255 - i / 4, emphasised ? 255 - i / 3 : 255 - i / 5);
}

QImage PaintXPButton(const XPButtonLook& look) {
  QImage picture(look.size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
  picture.fill(look.dialogBackground);
  const QRect all = picture.rect();
  QPainter painter(&picture);

  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawRoundedRect(QRectF(all).adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
  painter.setRenderHint(QPainter::Antialiasing, false);

  const QRect inner = all.adjusted(kXPEdge, kXPEdge, -kXPEdge, -kXPEdge);
  const bool emphasised = look.focused || look.pressed || look.isDefault;
  if (look.hovered && inner.height() > 0) {
    const int h = inner.height();
    for (int r = 0; r < h; ++r)
      painter.fillRect(QRect(inner.left(), inner.top() + r, inner.width(), 1), XPGradientBand(r * 63 / h, emphasised));
  }

  if (look.hovered || look.focused) {
    const XPFrame frame = look.hovered ? XPHoverFrame() : XPFocusFrame();
    // Three pixels at the sides, two at top and bottom, stopping two pixels
    // short of each corner.
    const int l = inner.left(), t = inner.top(), w = inner.width(), h = inner.height();
    painter.fillRect(QRect(l, t + 2, 3, h - 4), frame.left);
    painter.fillRect(QRect(l + w - 3, t + 2, 3, h - 4), frame.right);
    painter.fillRect(QRect(l + 2, t, w - 4, 2), frame.top);
    painter.fillRect(QRect(l + 2, t + h - 2, w - 4, 2), frame.bottom);
  }

  if (!look.caption.isEmpty()) {
    painter.setFont(look.font);
    const QRect area = look.pressed ? all.translated(1, 1) : all;
    const int flags = Qt::AlignCenter | Qt::TextSingleLine;
    if (look.enabled) {
      painter.setPen(look.textColour);
      painter.drawText(area, flags, look.caption);
    } else {
      // The system's embossed look of disabled text.
      painter.setPen(Qt::white);
      painter.drawText(area.translated(1, 1), flags, look.caption);
      painter.setPen(QColor(128, 128, 128));
      painter.drawText(area, flags, look.caption);
    }
  }
  return picture;
}

}  // namespace lumi::skin
