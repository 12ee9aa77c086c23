#pragma once
// Pictures with their own memory for driving the pixel code, with guard bytes
// after the image so that a write past the end shows up.
#include <cstdint>
#include <random>
#include <vector>

#include "filter/core/Picture.h"

namespace lumi::caption::test {

class Frame {
 public:
  static constexpr std::size_t kGuard = 64;
  static constexpr std::uint8_t kGuardByte = 0xA5;

  Frame(PixelFormat format, int width, int height, bool bottomUp = false) {
    bih_ = makeHeader(format, width, isRgb(format) && !bottomUp ? -height : height);
    const PlaneLayout layout = defaultLayout(format, width, height);
    bytes_.assign(layout.size + kGuard, kGuardByte);
    picture_ = pictureAt(format, bih_, bytes_.data());
  }
  const Picture& picture() const { return picture_; }
  const BitmapInfoHeader& header() const { return bih_; }
  std::uint8_t* data() { return bytes_.data(); }
  std::size_t size() const { return bytes_.size() - kGuard; }
  bool guardIntact() const {
    for (std::size_t i = size(); i < bytes_.size(); ++i)
      if (bytes_[i] != kGuardByte) return false;
    return true;
  }
  void fillRandom(unsigned pattern) {
    std::mt19937 rng(pattern);
    for (std::size_t i = 0; i < size(); ++i) bytes_[i] = std::uint8_t(rng());
  }
  void fill(std::uint8_t value) { std::fill(bytes_.begin(), bytes_.begin() + std::ptrdiff_t(size()), value); }
  // Picture bytes of display row y of plane p (without row padding).
  std::vector<std::uint8_t> rowBytes(int p, int y) const {
    const std::uint8_t* r = picture_.row(p, y);
    return {r, r + picture_.rowBytes(p)};
  }
  // All picture bytes in display order, without padding.
  std::vector<std::uint8_t> pictureBytes() const {
    std::vector<std::uint8_t> all;
    for (int p = 0; p < picture_.planeCount(); ++p)
      for (int y = 0; y < picture_.planeHeight(p); ++y) {
        const auto r = rowBytes(p, y);
        all.insert(all.end(), r.begin(), r.end());
      }
    return all;
  }

 private:
  BitmapInfoHeader bih_;
  std::vector<std::uint8_t> bytes_;
  Picture picture_;
};

}  // namespace lumi::caption::test
