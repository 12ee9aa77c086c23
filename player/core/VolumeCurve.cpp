#include "player/core/VolumeCurve.h"

#include <algorithm>
#include <cmath>

namespace lumi::player {
namespace {

constexpr float kStep = 0.02f;

// trunc(a × 0.02f × b) with the float constant widened to double.
int scaled(int a, int b) { return int(double(a) * double(kStep) * double(b)); }

}  // namespace

int ClampVolume(int volume) { return std::clamp(volume, 0, 100); }

int AttenuationForVolume(int volume) {
  const int v = ClampVolume(volume);
  if (v <= 50) return kSilence + scaled(9250, v);
  return 9250 + scaled(750, v - 50) + kSilence;
}

double LinearVolume(int attenuation) {
  if (attenuation <= kSilence) return 0.0;
  return std::pow(10.0, double(attenuation) / 2000.0);
}

int ColorControlValue(int setting, int defaultValue, int maximum) {
  const int s = std::clamp(setting, 0, 100);
  if (s <= 50) return scaled(defaultValue, s);
  return defaultValue + scaled(maximum - defaultValue, s - 50);
}

int ToCurveRange(int value, int min, int max, int curveMax) {
  if (max <= min) return 0;
  return int(std::lround(double(value - min) * curveMax / double(max - min)));
}

int FromCurveRange(int value, int min, int max, int curveMax) {
  if (curveMax <= 0) return min;
  return min + int(std::lround(double(value) * double(max - min) / curveMax));
}

}  // namespace lumi::player
