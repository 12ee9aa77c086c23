#pragma once
// Moving the decoded picture into the output frame. Input and output have the
// same pixel format; when the output is larger the picture is centred on black
// borders, when it is smaller the middle of the picture is kept.
#include <cstdint>

#include "filter/core/Picture.h"

namespace lumi::caption {

// The player's bitmap as the blend reads it: top-down rows of 4-byte pixels,
// exactly the output's size.
struct OverlayView {
  const std::uint8_t* bits = nullptr;
  std::ptrdiff_t stride = 0;
  int width = 0;
  int height = 0;
};

// Whether `overlay` can be blended into `out`: packed output of the bitmap's size.
bool overlayFits(const OverlayView& overlay, const Picture& out);

// YUY2 and RGB. With an overlay that fits, every row is blended with the
// bitmap row of the same index instead of being copied or filled.
void copyPacked(const Picture& in, const Picture& out, const OverlayView* overlay = nullptr);

// The three planes; chroma with halved offsets. No overlay for YV12.
void copyYV12(const Picture& in, const Picture& out);

// The whole frame black: YUY2 0x80108010 words, YV12 planes 16/128, RGB 0,
// ARGB32 opaque black.
void fillBlack(const Picture& out);

// The 4-byte word black pixels of a packed format repeat.
std::uint32_t blackWord(PixelFormat format);

}  // namespace lumi::caption
