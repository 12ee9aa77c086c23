#pragma once
// The rule that turns the input picture size into the output size. The filter
// runs it with fixed settings, under which the output is the input size; the
// settings stay so that a size rule can be switched on in one place.
namespace lumi::caption {

struct SizeRuleSettings {
  int scaleMode = 0;       // 1: double; 2: double when not larger than the threshold
  int aspectMode = 0;      // low 7 bits: 1 16:9, 2 4:3, 3 480 rows, 4 576 rows; 0x80 forces
  int alignment = 0;       // 1: width to a multiple of 32
  int thresholdWidth = 384;
  int thresholdHeight = 288;
};

inline constexpr SizeRuleSettings kFixedSizeRule{};

struct PictureSize {
  int width = 0;
  int height = 0;
  friend bool operator==(const PictureSize&, const PictureSize&) = default;
};

// `height` is the row count (positive).
PictureSize outputSize(int width, int height, const SizeRuleSettings& settings = kFixedSizeRule);

}  // namespace lumi::caption
