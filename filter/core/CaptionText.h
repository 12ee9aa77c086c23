#pragma once
// Caption text laid out with Pango and drawn with Cairo into the caption
// surface, with the behaviour of the DrawText flags the caption uses: word
// break, centred lines, measuring, the font's external leading between lines,
// and no prefix characters ("&" is an ordinary character).
#include <string>

#include "filter/core/CaptionLayout.h"
#include "filter/core/CaptionSurface.h"
#include "filter/core/LogFont.h"
#include "filter/core/OutputSize.h"

typedef struct _PangoFontMap PangoFontMap;
typedef struct _PangoContext PangoContext;
typedef struct _PangoLayout PangoLayout;

namespace lumi::caption {

// Not thread-safe: one thread at a time (the filter serialises its frames).
class CaptionText {
 public:
  CaptionText();
  ~CaptionText();
  CaptionText(const CaptionText&) = delete;
  CaptionText& operator=(const CaptionText&) = delete;

  void setFont(const CaptionFont& font);

  // Lays `text` out in lines of at most `wrapWidth` pixels, broken between
  // words (inside a word only when it alone is too wide), and returns the
  // size of the block: the widest line by the sum of the line heights.
  PictureSize measure(const std::string& text, int wrapWidth);

  // Draws the text last measured into `rect`, each line centred, outlined:
  // black at (-1, -1), (+1, -1), (+1, +1) and (-1, +1), then white, each pass
  // clipped to its own moved rectangle. Returns the surface area it may have
  // touched (the rectangle grown by the outline).
  PixelRect drawOutlined(CaptionSurface& surface, const PixelRect& rect);

  int lineCount() const;
  int emPixels() const { return emPixels_; }
  // Glyphs of the last measured text that no installed font could show.
  int unknownGlyphs() const;
  // The family Pango chose for the first character of the last measured text.
  std::string usedFamily() const;

 private:
  PangoFontMap* fontMap_ = nullptr;
  PangoContext* context_ = nullptr;
  PangoLayout* layout_ = nullptr;
  int emPixels_ = kDefaultEmPixels;
  int logicalX_ = 0, logicalY_ = 0, logicalWidth_ = 0, logicalHeight_ = 0;
};

}  // namespace lumi::caption
