#include "filter/core/FrameCopy.h"

#include <algorithm>
#include <cstring>

#include "filter/core/OverlayBlend.h"

namespace lumi::caption {

namespace {

// Fills `bytes` bytes at `dst` with the little-endian word `pattern`, starting
// at phase `phase` of the word, so that YUY2 black stays on pair boundaries.
void fillPattern(std::uint8_t* dst, std::size_t bytes, std::uint32_t pattern, std::size_t phase = 0) {
  if (bytes == 0) return;
  if ((pattern & 0xFF) * 0x01010101u == pattern) {
    std::memset(dst, int(pattern & 0xFF), bytes);
    return;
  }
  for (std::size_t i = 0; i < bytes; ++i) dst[i] = std::uint8_t(pattern >> (8 * ((phase + i) & 3)));
}

// How a picture axis of `inSize` sits in an output axis of `outSize` when it
// starts `offset` units in (negative: the first -offset input units are cut).
struct Span {
  int dstStart;  // first output unit covered by the picture
  int srcStart;  // first input unit shown
  int count;     // units copied
};
Span place(int inSize, int outSize, int offset) {
  Span s{};
  s.dstStart = std::max(offset, 0);
  s.srcStart = std::max(-offset, 0);
  s.count = std::max(0, std::min(inSize - s.srcStart, outSize - s.dstStart));
  if (s.count == 0) s.dstStart = outSize;
  return s;
}

// One plane: the picture rows copied at the given offsets, the rest `fill`.
// Offsets and counts are in bytes for x and rows for y.
void copyPlane(const Picture& in, const Picture& out, int p, int xOffsetBytes, int yOffset, std::uint32_t fill) {
  const int outRows = out.planeHeight(p), inRows = in.planeHeight(p);
  const int outBytes = int(out.rowBytes(p)), inBytes = int(in.rowBytes(p));
  const Span rows = place(inRows, outRows, yOffset);
  const Span cols = place(inBytes, outBytes, xOffsetBytes);
  const bool whole = cols.dstStart == 0 && cols.count == outBytes;
  for (int y = 0; y < outRows; ++y) {
    std::uint8_t* dst = out.row(p, y);
    const int sy = y - rows.dstStart + rows.srcStart;
    if (y < rows.dstStart || y >= rows.dstStart + rows.count) {
      fillPattern(dst, std::size_t(outBytes), fill);
      continue;
    }
    const std::uint8_t* src = in.row(p, sy);
    if (!whole) fillPattern(dst, std::size_t(cols.dstStart), fill);
    std::memcpy(dst + cols.dstStart, src + cols.srcStart, std::size_t(cols.count));
    if (!whole) {
      const int end = cols.dstStart + cols.count;
      fillPattern(dst + end, std::size_t(outBytes - end), fill, std::size_t(end));
    }
  }
}

// Same picture, same layout: one copy of the whole block.
bool copyWhole(const Picture& in, const Picture& out, int p) {
  if (in.width != out.width || in.height != out.height || in.bottomUp != out.bottomUp) return false;
  if (in.planes[p].stride != out.planes[p].stride || in.planes[p].stride <= 0) return false;
  const std::size_t stride = std::size_t(in.planes[p].stride);
  if (stride < in.rowBytes(p)) return false;
  const std::size_t rows = std::size_t(in.planeHeight(p));
  std::memcpy(out.planes[p].data, in.planes[p].data, stride * (rows - 1) + in.rowBytes(p));
  return true;
}

}  // namespace

std::uint32_t blackWord(PixelFormat format) {
  switch (format) {
    case PixelFormat::YUY2: return 0x80108010u;
    case PixelFormat::YV12: return 0x10101010u;
    case PixelFormat::ARGB32: return 0xFF000000u;
    default: return 0;
  }
}

bool overlayFits(const OverlayView& overlay, const Picture& out) {
  return overlay.bits && out.format != PixelFormat::YV12 && overlay.width == out.width &&
         overlay.height == out.height && overlay.stride >= std::ptrdiff_t(overlay.width) * 4;
}

void copyPacked(const Picture& in, const Picture& out, const OverlayView* overlay) {
  if (out.empty() || out.format == PixelFormat::YV12 || in.format != out.format) return;
  const int bpp = bytesPerPixel(out.format);
  const std::uint32_t fill = blackWord(out.format);
  // Whole pixel pairs on the left, so that YUY2 macropixels stay aligned.
  const int leftPixels = ((out.width - in.width) / 4) * 2;
  const int top = (out.height - in.height) / 2;
  const bool blend = overlay && overlayFits(*overlay, out);

  if (!blend) {
    if (in.empty()) {
      fillBlack(out);
      return;
    }
    if (leftPixels == 0 && top == 0 && copyWhole(in, out, 0)) return;
    copyPlane(in, out, 0, leftPixels * bpp, top, fill);
    return;
  }

  const Span rows = place(in.empty() ? 0 : in.height, out.height, top);
  const Span cols = place(in.empty() ? 0 : in.width, out.width, leftPixels);
  const std::size_t outBytes = out.rowBytes(0);
  for (int y = 0; y < out.height; ++y) {
    std::uint8_t* dst = out.row(0, y);
    const std::uint8_t* bitmap = overlay->bits + std::ptrdiff_t(y) * overlay->stride;
    if (y < rows.dstStart || y >= rows.dstStart + rows.count) {
      // Border rows show the bitmap over black.
      fillPattern(dst, outBytes, fill);
      blendRow(out.format, dst, bitmap, overlay->width, dst, 0, out.width);
      continue;
    }
    const std::uint8_t* src = in.row(0, y - rows.dstStart + rows.srcStart);
    const std::size_t left = std::size_t(cols.dstStart) * std::size_t(bpp);
    fillPattern(dst, left, fill);
    blendRow(out.format, src + std::size_t(cols.srcStart) * std::size_t(bpp), bitmap, overlay->width, dst + left,
             cols.dstStart, cols.count);
    const std::size_t end = std::min(outBytes, out.format == PixelFormat::YUY2
                                                   ? std::size_t((cols.dstStart + cols.count + 1) / 2) * 4
                                                   : std::size_t(cols.dstStart + cols.count) * std::size_t(bpp));
    fillPattern(dst + end, outBytes - end, fill, end);
  }
}

void copyYV12(const Picture& in, const Picture& out) {
  if (out.empty() || out.format != PixelFormat::YV12 || in.format != PixelFormat::YV12) return;
  if (in.empty()) {
    fillBlack(out);
    return;
  }
  // Even luma offsets keep luma and chroma samples together.
  const int x = ((out.width - in.width) / 2) & ~1;
  const int y = (out.height - in.height) / 2;
  const bool centred = x == 0 && y == 0;
  for (int p = 0; p < 3; ++p) {
    if (centred && copyWhole(in, out, p)) continue;
    copyPlane(in, out, p, p == 0 ? x : x / 2, p == 0 ? y : y / 2, p == 0 ? 0x10101010u : 0x80808080u);
  }
}

void fillBlack(const Picture& out) {
  if (out.empty()) return;
  for (int p = 0; p < out.planeCount(); ++p) {
    const std::uint32_t fill = out.format == PixelFormat::YV12 ? (p == 0 ? 0x10101010u : 0x80808080u)
                                                               : blackWord(out.format);
    for (int y = 0; y < out.planeHeight(p); ++y) fillPattern(out.row(p, y), out.rowBytes(p), fill);
  }
}

}  // namespace lumi::caption
