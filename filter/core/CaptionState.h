#pragma once
// The caption values the player sets from its own thread while frames are
// drawn on the streaming thread. Every change builds a complete new state and
// swaps it in; a frame takes one state at its start and uses only that, so it
// never sees a half-replaced text, a font that was just replaced or a bitmap
// that is being freed.
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "filter/core/FrameCopy.h"
#include "filter/core/LogFont.h"

namespace lumi::caption {

// A private copy of the player's bitmap.
struct OverlayImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // top-down rows of width * 4 bytes

  OverlayView view() const { return {pixels.data(), std::ptrdiff_t(width) * 4, width, height}; }
};

struct CaptionState {
  std::string captionText;          // UTF-8, empty draws nothing
  int captionPosition = 100;        // percent, not clamped
  std::shared_ptr<const CaptionFont> captionFont;      // null until set or streaming starts
  std::shared_ptr<const OverlayImage> overlayBitmap;   // null: no blending
};

class CaptionSettings {
 public:
  CaptionSettings();

  std::shared_ptr<const CaptionState> snapshot() const;

  // Null is an empty text; bytes that are not UTF-8 are repaired.
  void setText(const char* text);
  void setPosition(int percent);
  void setFont(std::shared_ptr<const CaptionFont> font);
  // Sets the font only when none is set yet; returns whether it did.
  bool setFontIfUnset(std::shared_ptr<const CaptionFont> font);
  // Copies `height` rows of `width` 4-byte pixels; null bits or a size that
  // cannot be a bitmap stop the blending like a null bitmap.
  void setOverlayBitmap(const std::uint8_t* bits, int width, int height, std::ptrdiff_t stride);
  void clearOverlayBitmap();

 private:
  template <typename Change>
  void update(Change change);

  mutable std::mutex mutex_;
  std::shared_ptr<const CaptionState> state_;
};

}  // namespace lumi::caption
