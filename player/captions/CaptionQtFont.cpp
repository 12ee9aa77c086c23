#include "player/captions/CaptionQtFont.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/text/AnsiText.h"

namespace lumi::player {

namespace {
constexpr int kFaceBytes = int(sizeof(LOGFONTA::lfFaceName));
constexpr int kNonAntialiased = 3;
}  // namespace

QFont qFontFromLogFont(const LOGFONTA& f) {
  const char* name = f.lfFaceName;
  const auto length = std::find(name, name + kFaceBytes, '\0') - name;
  QFont font(text::DecodeAnsi(QByteArrayView(name, length)));
  if (f.lfHeight < 0)
    font.setPixelSize(std::max(1, -f.lfHeight));
  else if (f.lfHeight > 0)
    font.setPixelSize(std::max(1, f.lfHeight * 4 / 5));
  if (f.lfWeight > 0) font.setWeight(QFont::Weight(std::clamp(int(f.lfWeight), 1, 1000)));
  font.setItalic(f.lfItalic != 0);
  font.setUnderline(f.lfUnderline != 0);
  font.setStrikeOut(f.lfStrikeOut != 0);
  font.setStyleStrategy(f.lfQuality == kNonAntialiased ? QFont::NoAntialias : QFont::PreferAntialias);
  return font;
}

LOGFONTA logFontFromQFont(const QFont& font, const LOGFONTA& base) {
  LOGFONTA f = base;
  // A dialog gives points; the bar is drawn at 96 pixels per inch.
  const int pixels = font.pixelSize() > 0 ? font.pixelSize() : int(std::lround(font.pointSizeF() * 96.0 / 72.0));
  if (pixels > 0) f.lfHeight = -pixels;
  f.lfWidth = 0;
  f.lfWeight = font.weight();
  f.lfItalic = font.italic() ? 1 : 0;
  f.lfUnderline = font.underline() ? 1 : 0;
  f.lfStrikeOut = font.strikeOut() ? 1 : 0;
  // The face in UTF-8, cut before a character that would not fit whole.
  const QString family = font.family();
  QByteArray face;
  for (qsizetype i = 0; i < family.size();) {
    const qsizetype width = family[i].isHighSurrogate() && i + 1 < family.size() ? 2 : 1;
    const QByteArray next = family.mid(i, width).toUtf8();
    if (face.size() + next.size() > kFaceBytes - 1) break;
    face += next;
    i += width;
  }
  std::memset(f.lfFaceName, 0, sizeof f.lfFaceName);
  std::memcpy(f.lfFaceName, face.constData(), std::size_t(face.size()));
  return f;
}

}  // namespace lumi::player
