#pragma once
// The caption drawing surface: 32 bits a pixel (red 0x00FF0000, green
// 0x0000FF00, blue 0x000000FF), rows top-down, the output's size. A pixel whose
// top byte is 0xFF is transparent; drawn pixels have a top byte of 0.
#include <cstdint>
#include <vector>

#include "filter/core/CaptionLayout.h"
#include "filter/core/Picture.h"

namespace lumi::caption {

class CaptionSurface {
 public:
  static constexpr std::uint32_t kTransparent = 0xFF000000u;
  static bool isOpaque(std::uint32_t pixel) { return (pixel >> 24) != 0xFF; }

  // A fresh surface, all transparent; a size of 0 leaves none.
  void reset(int width, int height);
  int width() const { return width_; }
  int height() const { return height_; }
  bool empty() const { return width_ == 0 || height_ == 0; }

  std::uint32_t* row(int y) { return pixels_.data() + std::size_t(y) * std::size_t(width_); }
  const std::uint32_t* row(int y) const { return pixels_.data() + std::size_t(y) * std::size_t(width_); }
  std::uint32_t pixel(int x, int y) const { return row(y)[x]; }

  // Sets the part of `area` on the surface back to transparent.
  void clear(const PixelRect& area);

 private:
  int width_ = 0, height_ = 0;
  std::vector<std::uint32_t> pixels_;
};

// The opaque pixels of a surface area converted into one output format, kept
// as runs of ready bytes so that each frame only copies them.
//   YUY2: luma and a neutral chroma byte (128); YV12: luma only, the chroma
//   planes keep the picture's colour; RGB555/565: 5-6-5 or 5-5-5 words;
//   RGB24: B, G, R; RGB32: B, G, R, 0; ARGB32: B, G, R, 0xFF (opaque).
class CaptionStamp {
 public:
  void build(const CaptionSurface& surface, const PixelRect& area, PixelFormat format);
  void clear();
  bool empty() const { return runs_.empty(); }
  PixelFormat format() const { return format_; }
  // Surface row y goes to display row y of the picture, clipped to it.
  void apply(const Picture& out) const;
  std::size_t pixelCount() const;

 private:
  struct Run {
    int row;
    int x;
    int count;
    std::size_t offset;  // into bytes_
  };
  PixelFormat format_ = PixelFormat::YUY2;
  int bytesPerPixel_ = 2;
  std::vector<Run> runs_;
  std::vector<std::uint8_t> bytes_;
};

}  // namespace lumi::caption
