#pragma once
// Blending the player's bitmap (the on-screen menu) over the picture, and the
// conversion that turns the player's BGRA drawing into the YUY2 overlay layout.
//
// Overlay layout, per pixel pair (8 bytes): U, Y0, -, A0, V, Y1, -, A1. A is
// transparency: 0xFF shows the video, 0 the bitmap alone (its colours are
// premultiplied). RGB outputs take premultiplied BGRA with the same alpha.
#include <cstddef>
#include <cstdint>

#include "filter/core/PixelFormat.h"

namespace lumi::caption {

// Blends `count` pixels of video at `video` with bitmap pixels starting at
// index `firstPixel` of `bitmapRow`, into `out` (may equal `video`). YUY2 works
// on pixel pairs: `firstPixel` is even; an odd `count` that ends the bitmap
// row ends on a half pair whose one bitmap pixel carries both U and V.
void blendRow(PixelFormat format, const std::uint8_t* video, const std::uint8_t* bitmapRow, int bitmapWidth,
              std::uint8_t* out, int firstPixel, int count);

// The YUY2 blend without vector instructions; the vector one must match it.
void blendYuy2Scalar(const std::uint8_t* video, const std::uint8_t* bitmap, std::uint8_t* out, int pairs);
void blendYuy2(const std::uint8_t* video, const std::uint8_t* bitmap, std::uint8_t* out, int pairs);

// In place, pair by pair: a pair whose two pixels are fully transparent
// becomes black (U = V = 128, Y = 16), others get luma and chroma from their
// colours. Alpha bytes are kept. An odd last pixel pairs with itself and keeps
// its V in its spare third byte.
void convertBgraToOverlay(std::uint8_t* pixels, int width, int height, std::ptrdiff_t stride);

}  // namespace lumi::caption
