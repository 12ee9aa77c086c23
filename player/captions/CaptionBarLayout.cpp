#include "player/captions/CaptionBarLayout.h"

namespace lumi::player {

int fullScreenCaptionTop(int screenMode, int positionPercent, int screenHeight, int videoBottom, int textHeight,
                         int lineHeight) {
  const bool byPercent = screenMode == 1 || screenMode == 3;
  const int anchor = byPercent ? int(static_cast<long long>(positionPercent) * screenHeight / 100) : videoBottom;
  const double gap = 0.3 * lineHeight;
  if (anchor + textHeight > screenHeight) return int(screenHeight - textHeight - gap);
  return int(anchor + gap);
}

int windowedCaptionTop(int frameHeight, int textHeight, int positionPercent) {
  return int(static_cast<long long>(frameHeight - textHeight - 6) * positionPercent / 100);
}

int captionBarTop(bool hasVideoWindow, int videoBottom, int videoHeight, int stripHeight, bool overlayOption) {
  if (!hasVideoWindow) return videoHeight;
  return overlayOption ? videoBottom - stripHeight : videoBottom;
}

}  // namespace lumi::player
