#include "filter/core/LogFont.h"

#include <glib.h>

#include <algorithm>
#include <cstring>

#include "filter/core/FontFaces.h"

namespace lumi::caption {

std::string faceNameOf(const LOGFONTA& font) {
  const char* name = font.lfFaceName;
  const std::size_t length = std::find(name, name + sizeof font.lfFaceName, '\0') - name;
  std::string bytes(name, length);
  if (g_utf8_validate(bytes.data(), gssize(bytes.size()), nullptr)) return bytes;
  // Descriptions written on a Korean Windows system carry CP949 names.
  gsize written = 0;
  if (gchar* utf8 = g_convert(bytes.data(), gssize(bytes.size()), "UTF-8", "CP949", nullptr, &written, nullptr)) {
    std::string converted(utf8, written);
    g_free(utf8);
    return converted;
  }
  gchar* valid = g_utf8_make_valid(bytes.data(), gssize(bytes.size()));
  std::string repaired(valid);
  g_free(valid);
  return repaired;
}

CaptionFont captionFontFrom(const LOGFONTA& font) {
  CaptionFont f;
  f.face = faceNameOf(font);
  f.families = installedFamiliesFor(f.face);
  f.height = font.lfHeight;
  f.weight = font.lfWeight <= 0 ? 400 : std::clamp(int(font.lfWeight), 100, 1000);
  f.italic = font.lfItalic != 0;
  f.underline = font.lfUnderline != 0;
  f.strikeOut = font.lfStrikeOut != 0;
  f.antialias = font.lfQuality != 3;  // NONANTIALIASED_QUALITY
  return f;
}

LOGFONTA defaultCaptionLogFont(int pixelsPerInch) {
  LOGFONTA f;
  // -MulDiv(15, ppi, 72): MulDiv rounds half away from zero.
  f.lfHeight = -int((15LL * pixelsPerInch + 36) / 72);
  f.lfWeight = 0;
  f.lfCharSet = 1;       // DEFAULT_CHARSET
  f.lfOutPrecision = 2;  // OUT_STROKE_PRECIS
  f.lfClipPrecision = 0;
  f.lfQuality = 4;       // ANTIALIASED_QUALITY
  const char face[] = "굴림";
  static_assert(sizeof face <= sizeof f.lfFaceName);
  std::memcpy(f.lfFaceName, face, sizeof face);
  return f;
}

}  // namespace lumi::caption
