#pragma once
// The 60-byte LOGFONTA font description the player keeps (and stores as the
// "LogFont" value), and the caption font the filter draws with.
#include <cstdint>
#include <string>

namespace lumi::caption {

struct LOGFONTA {
  std::int32_t lfHeight = 0;  // < 0: character height in pixels; > 0: cell height; 0: default
  std::int32_t lfWidth = 0;
  std::int32_t lfEscapement = 0;
  std::int32_t lfOrientation = 0;
  std::int32_t lfWeight = 0;  // 0 = default (normal)
  std::uint8_t lfItalic = 0;
  std::uint8_t lfUnderline = 0;
  std::uint8_t lfStrikeOut = 0;
  std::uint8_t lfCharSet = 0;
  std::uint8_t lfOutPrecision = 0;
  std::uint8_t lfClipPrecision = 0;
  std::uint8_t lfQuality = 0;  // 3 NONANTIALIASED, 4 ANTIALIASED
  std::uint8_t lfPitchAndFamily = 0;
  char lfFaceName[32] = {};
};
static_assert(sizeof(LOGFONTA) == 60);

// What captions are drawn with, free of any drawing library.
struct CaptionFont {
  std::string face;      // as the description names it
  std::string families;  // installed families to try, comma-separated
  int height = 0;        // LOGFONT rule, see lfHeight
  int weight = 400;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  bool antialias = true;

  friend bool operator==(const CaptionFont&, const CaptionFont&) = default;
};

// The face name: up to the first NUL, at most 32 bytes even when the field is
// not terminated, as UTF-8 (bytes that are not UTF-8 are read as CP949).
std::string faceNameOf(const LOGFONTA& font);

CaptionFont captionFontFrom(const LOGFONTA& font);

// The caption font when the player sets none: "굴림", 15 points at the
// given screen resolution, default weight and character set, antialiased.
LOGFONTA defaultCaptionLogFont(int pixelsPerInch = 96);

// Pixels per em for a font without a height of its own.
constexpr int kDefaultEmPixels = 16;

}  // namespace lumi::caption
