#include "platform/media/AudioLevel.h"

#include <algorithm>
#include <cmath>

namespace lumi::media {

double linearVolume(int hundredthsOfDecibel) {
  if (hundredthsOfDecibel <= kSilent) return 0.0;
  if (hundredthsOfDecibel >= kLoudest) return 1.0;
  return std::pow(10.0, hundredthsOfDecibel / 2000.0);
}

int clampLevel(long long hundredthsOfDecibel) {
  return int(std::clamp<long long>(hundredthsOfDecibel, kSilent, kLoudest));
}

}  // namespace lumi::media
