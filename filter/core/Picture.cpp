#include "filter/core/Picture.h"

#include <cstdlib>

namespace lumi::caption {

std::size_t Picture::rowBytes(int p) const {
  if (width <= 0) return 0;
  if (format == PixelFormat::YUY2) return std::size_t((width + 1) / 2) * 4;
  if (format == PixelFormat::YV12) return std::size_t(planeWidth(p));
  return std::size_t(width) * std::size_t(bytesPerPixel(format));
}

PlaneLayout defaultLayout(PixelFormat format, int width, int height) {
  PlaneLayout layout;
  if (width <= 0 || height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide) return layout;
  auto pad4 = [](std::size_t n) { return (n + 3) & ~std::size_t(3); };
  if (format == PixelFormat::YV12) {
    const std::size_t ys = pad4(std::size_t(width));
    const std::size_t cs = pad4(std::size_t((width + 1) / 2));
    const std::size_t ch = std::size_t((height + 1) / 2);
    layout.stride[0] = std::ptrdiff_t(ys);
    layout.stride[1] = layout.stride[2] = std::ptrdiff_t(cs);
    // Stored order is Y, V, U; planes[] lists Y, U, V.
    layout.offset[0] = 0;
    layout.offset[2] = ys * std::size_t(height);
    layout.offset[1] = layout.offset[2] + cs * ch;
    layout.size = layout.offset[1] + cs * ch;
    return layout;
  }
  Picture probe;
  probe.format = format;
  probe.width = width;
  const std::size_t stride = pad4(probe.rowBytes(0));
  layout.stride[0] = std::ptrdiff_t(stride);
  layout.size = stride * std::size_t(height);
  return layout;
}

Picture pictureAt(PixelFormat format, const BitmapInfoHeader& bih, std::uint8_t* data) {
  Picture pic;
  pic.format = format;
  pic.width = bih.biWidth;
  pic.height = std::abs(bih.biHeight);
  pic.bottomUp = isRgb(format) && bih.biHeight > 0;
  const PlaneLayout layout = defaultLayout(format, pic.width, pic.height);
  if (layout.size == 0) {
    pic.width = pic.height = 0;
    return pic;
  }
  for (int p = 0; p < pic.planeCount(); ++p) {
    pic.planes[p].data = data + layout.offset[p];
    pic.planes[p].stride = layout.stride[p];
  }
  return pic;
}

}  // namespace lumi::caption
