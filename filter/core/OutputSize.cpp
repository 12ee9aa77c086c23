#include "filter/core/OutputSize.h"

#include <algorithm>
#include <cstdint>

namespace lumi::caption {

PictureSize outputSize(int width, int height, const SizeRuleSettings& s) {
  std::int64_t w = width, h = height;
  if (s.scaleMode == 1 ||
      (s.scaleMode == 2 && w * h <= std::int64_t(s.thresholdWidth) * s.thresholdHeight)) {
    w *= 2;
    h *= 2;
  }
  std::int64_t target = -1;
  switch (s.aspectMode & 0x7F) {
    case 1: target = w * 9 / 16; break;
    case 2: target = w * 3 / 4; break;
    case 3: target = 480; break;
    case 4: target = 576; break;
    default: break;
  }
  if (target >= 0) {
    target = (target + 3) & ~std::int64_t(3);
    h = (s.aspectMode & 0x80) ? target : std::max(h, target);
  }
  if (s.alignment == 1) w = (w + 31) & ~std::int64_t(31);
  return {int(std::clamp<std::int64_t>(w, 0, INT32_MAX)), int(std::clamp<std::int64_t>(h, 0, INT32_MAX))};
}

}  // namespace lumi::caption
