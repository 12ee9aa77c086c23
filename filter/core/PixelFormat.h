#pragma once
// The seven picture formats the filter handles and the BITMAPINFOHEADER that
// describes a picture of one of them.
#include <cstdint>

namespace lumi::caption {

enum class PixelFormat { YUY2, YV12, RGB555, RGB565, RGB24, RGB32, ARGB32 };

inline constexpr PixelFormat kAllPixelFormats[] = {PixelFormat::YUY2,   PixelFormat::YV12,  PixelFormat::RGB555,
                                                   PixelFormat::RGB565, PixelFormat::RGB24, PixelFormat::RGB32,
                                                   PixelFormat::ARGB32};

constexpr std::uint32_t makeFourcc(char a, char b, char c, char d) {
  return std::uint32_t(std::uint8_t(a)) | std::uint32_t(std::uint8_t(b)) << 8 | std::uint32_t(std::uint8_t(c)) << 16 |
         std::uint32_t(std::uint8_t(d)) << 24;
}
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitfields = 3;
constexpr std::uint32_t kFourccYUY2 = makeFourcc('Y', 'U', 'Y', '2');
constexpr std::uint32_t kFourccYV12 = makeFourcc('Y', 'V', '1', '2');
// The planes of YV12 with U stored before V; handled as YV12.
constexpr std::uint32_t kFourccI420 = makeFourcc('I', '4', '2', '0');

// For RGB a positive height means bottom-up rows and a negative one top-down;
// YUV pictures are always top-down.
struct BitmapInfoHeader {
  std::uint32_t biSize = 40;
  std::int32_t biWidth = 0;
  std::int32_t biHeight = 0;
  std::uint16_t biPlanes = 1;
  std::uint16_t biBitCount = 0;
  std::uint32_t biCompression = 0;
  std::uint32_t biSizeImage = 0;
  std::int32_t biXPelsPerMeter = 0;
  std::int32_t biYPelsPerMeter = 0;
  std::uint32_t biClrUsed = 0;
  std::uint32_t biClrImportant = 0;

  friend bool operator==(const BitmapInfoHeader&, const BitmapInfoHeader&) = default;
};
static_assert(sizeof(BitmapInfoHeader) == 40);

int bitCount(PixelFormat format);
std::uint32_t compressionOf(PixelFormat format);
bool isRgb(PixelFormat format);
// Bytes of one pixel in a packed format (YV12: the luma plane's 1).
int bytesPerPixel(PixelFormat format);
const char* formatName(PixelFormat format);

// Largest picture side the filter accepts; keeps every size product in range.
constexpr int kMaxPictureSide = 16384;

// A header for a picture of that format and size: bit count, compression and
// the image size of the default layout (see Picture.h).
BitmapInfoHeader makeHeader(PixelFormat format, int width, int height);

}  // namespace lumi::caption
