#include "filter/core/PixelFormat.h"

#include "filter/core/Picture.h"

namespace lumi::caption {

int bitCount(PixelFormat format) {
  switch (format) {
    case PixelFormat::YUY2: return 16;
    case PixelFormat::YV12: return 12;
    case PixelFormat::RGB555: return 16;
    case PixelFormat::RGB565: return 16;
    case PixelFormat::RGB24: return 24;
    case PixelFormat::RGB32: return 32;
    case PixelFormat::ARGB32: return 32;
  }
  return 0;
}

std::uint32_t compressionOf(PixelFormat format) {
  switch (format) {
    case PixelFormat::YUY2: return kFourccYUY2;
    case PixelFormat::YV12: return kFourccYV12;
    case PixelFormat::RGB565: return kBiBitfields;
    default: return kBiRgb;
  }
}

bool isRgb(PixelFormat format) { return format != PixelFormat::YUY2 && format != PixelFormat::YV12; }

int bytesPerPixel(PixelFormat format) {
  switch (format) {
    case PixelFormat::YV12: return 1;
    case PixelFormat::RGB24: return 3;
    case PixelFormat::RGB32:
    case PixelFormat::ARGB32: return 4;
    default: return 2;
  }
}

const char* formatName(PixelFormat format) {
  switch (format) {
    case PixelFormat::YUY2: return "YUY2";
    case PixelFormat::YV12: return "YV12";
    case PixelFormat::RGB555: return "RGB555";
    case PixelFormat::RGB565: return "RGB565";
    case PixelFormat::RGB24: return "RGB24";
    case PixelFormat::RGB32: return "RGB32";
    case PixelFormat::ARGB32: return "ARGB32";
  }
  return "?";
}

BitmapInfoHeader makeHeader(PixelFormat format, int width, int height) {
  BitmapInfoHeader bih;
  bih.biWidth = width;
  bih.biHeight = height;
  bih.biBitCount = static_cast<std::uint16_t>(bitCount(format));
  bih.biCompression = compressionOf(format);
  bih.biSizeImage = static_cast<std::uint32_t>(defaultLayout(format, width, height < 0 ? -height : height).size);
  return bih;
}

}  // namespace lumi::caption
