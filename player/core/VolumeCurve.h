#pragma once
// The player's volume and picture curves: a 0-100 setting to the audio
// attenuation (hundredths of a decibel) and to a colour-control value.
//
// Both use the factor 0.02 as a single-precision constant widened to double
// before the product is truncated, which is what gives 50 -> -751 and
// 100 -> -1 (an exact 0.02 would give -750 and 0); stored settings and the
// options sheet depend on these exact numbers.
#include <cstdint>

namespace lumi::player {

inline constexpr int kSilence = -10000;

int ClampVolume(int volume);  // 0..100
// 0 -> -10000, 50 -> -751, 51 -> -736, 100 -> -1; out of range is clamped.
int AttenuationForVolume(int volume);
// The amplitude factor playbin takes for an attenuation: 10^(att / 2000).
double LinearVolume(int attenuation);

// A colour control from its 0-100 setting: default × s / 50 up to 50, then
// default + (maximum - default) × (s - 50) / 50.
int ColorControlValue(int setting, int defaultValue, int maximum);

// A colour channel of the video sink maps its own range onto the curve's
// 0..`curveMax` (10000 brightness, 20000 contrast and saturation) and back.
int ToCurveRange(int value, int min, int max, int curveMax);
int FromCurveRange(int value, int min, int max, int curveMax);

}  // namespace lumi::player
