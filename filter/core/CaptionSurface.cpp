#include "filter/core/CaptionSurface.h"

#include <algorithm>
#include <cstring>

#include "filter/core/LumaTables.h"

namespace lumi::caption {

void CaptionSurface::reset(int width, int height) {
  if (width <= 0 || height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide) width = height = 0;
  width_ = width;
  height_ = height;
  pixels_.assign(std::size_t(width) * std::size_t(height), kTransparent);
}

void CaptionSurface::clear(const PixelRect& area) {
  const PixelRect r = area.clippedTo(width_, height_);
  for (int y = r.top; y < r.bottom; ++y) std::fill(row(y) + r.left, row(y) + r.right, kTransparent);
}

namespace {

// The output bytes of one opaque surface pixel.
void convertPixel(const LumaTables& t, std::uint32_t p, PixelFormat format, std::uint8_t* out) {
  const unsigned r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
  switch (format) {
    case PixelFormat::YUY2:
      out[0] = lumaOf(t, r, g, b);
      out[1] = 128;
      break;
    case PixelFormat::YV12: out[0] = lumaOf(t, r, g, b); break;
    case PixelFormat::RGB555: {
      const std::uint16_t v = std::uint16_t(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
      std::memcpy(out, &v, 2);
      break;
    }
    case PixelFormat::RGB565: {
      const std::uint16_t v = std::uint16_t(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
      std::memcpy(out, &v, 2);
      break;
    }
    case PixelFormat::RGB24:
      out[0] = std::uint8_t(b);
      out[1] = std::uint8_t(g);
      out[2] = std::uint8_t(r);
      break;
    case PixelFormat::RGB32:
    case PixelFormat::ARGB32:
      out[0] = std::uint8_t(b);
      out[1] = std::uint8_t(g);
      out[2] = std::uint8_t(r);
      out[3] = format == PixelFormat::ARGB32 ? 0xFF : 0;
      break;
  }
}

}  // namespace

void CaptionStamp::clear() {
  runs_.clear();
  bytes_.clear();
}

void CaptionStamp::build(const CaptionSurface& surface, const PixelRect& area, PixelFormat format) {
  clear();
  format_ = format;
  bytesPerPixel_ = bytesPerPixel(format);
  const LumaTables& t = lumaTables();
  const PixelRect r = area.clippedTo(surface.width(), surface.height());
  for (int y = r.top; y < r.bottom; ++y) {
    const std::uint32_t* row = surface.row(y);
    for (int x = r.left; x < r.right;) {
      if (!CaptionSurface::isOpaque(row[x])) {
        ++x;
        continue;
      }
      Run run{y, x, 0, bytes_.size()};
      for (; x < r.right && CaptionSurface::isOpaque(row[x]); ++x) {
        const std::size_t at = bytes_.size();
        bytes_.resize(at + std::size_t(bytesPerPixel_));
        convertPixel(t, row[x], format, bytes_.data() + at);
        ++run.count;
      }
      runs_.push_back(run);
    }
  }
}

void CaptionStamp::apply(const Picture& out) const {
  if (out.empty() || out.format != format_) return;
  for (const Run& run : runs_) {
    if (run.row >= out.height || run.x >= out.width) continue;
    const int count = std::min(run.count, out.width - run.x);
    std::memcpy(out.row(0, run.row) + std::size_t(run.x) * std::size_t(bytesPerPixel_), bytes_.data() + run.offset,
                std::size_t(count) * std::size_t(bytesPerPixel_));
  }
}

std::size_t CaptionStamp::pixelCount() const { return bytes_.size() / std::size_t(bytesPerPixel_); }

}  // namespace lumi::caption
