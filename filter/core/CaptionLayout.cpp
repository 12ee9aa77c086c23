#include "filter/core/CaptionLayout.h"

#include <algorithm>
#include <cstdint>

namespace lumi::caption {

PixelRect PixelRect::clippedTo(int w, int h) const {
  PixelRect r{std::max(left, 0), std::max(top, 0), std::min(right, w), std::min(bottom, h)};
  if (r.empty()) return {};
  return r;
}

int captionWrapWidth(int surfaceWidth) { return std::max(1, surfaceWidth - 20); }

PixelRect placeCaption(int textWidth, int textHeight, int surfaceWidth, int surfaceHeight, int position) {
  if (textWidth <= 0 || textHeight <= 0 || surfaceWidth <= 0 || surfaceHeight <= 0) return {};
  PixelRect r{10, 10, 10 + textWidth, 10 + textHeight};
  r = r.clippedTo(surfaceWidth, surfaceHeight);
  if (r.empty()) return {};
  const int w = r.width(), h = r.height();
  const int dx = (surfaceWidth - w) / 2;
  // 64-bit: the position is not clamped and may be any int.
  const std::int64_t dy64 = (std::int64_t(surfaceHeight) - h - 10) * position / 100;
  const int dy = int(std::clamp<std::int64_t>(dy64, -(std::int64_t(1) << 30), std::int64_t(1) << 30));
  return {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

}  // namespace lumi::caption
