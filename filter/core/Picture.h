#pragma once
// Where the rows of a picture lie in memory. Everything that touches pixels
// addresses rows in display order (top row first), so bottom-up RGB pictures,
// top-down ones and the top-down caption surface meet row for row.
#include <cstddef>
#include <cstdint>

#include "filter/core/PixelFormat.h"

namespace lumi::caption {

struct Plane {
  std::uint8_t* data = nullptr;
  std::ptrdiff_t stride = 0;  // bytes from one stored row to the next
};

struct Picture {
  PixelFormat format = PixelFormat::YUY2;
  int width = 0;
  int height = 0;            // always positive
  bool bottomUp = false;     // RGB stored last row first
  Plane planes[3];           // packed: [0]; YV12: Y, U, V

  // Display row `y` of plane `p`.
  std::uint8_t* row(int p, int y) const {
    const int stored = bottomUp ? planeHeight(p) - 1 - y : y;
    return planes[p].data + stored * planes[p].stride;
  }
  int planeCount() const { return format == PixelFormat::YV12 ? 3 : 1; }
  // Pixels and rows of a plane: YV12 chroma covers odd sizes by rounding up.
  int planeWidth(int p) const { return p == 0 ? width : (width + 1) / 2; }
  int planeHeight(int p) const { return p == 0 ? height : (height + 1) / 2; }
  // Bytes of picture in one row of a plane (YUY2: whole pixel pairs).
  std::size_t rowBytes(int p) const;
  bool empty() const { return width <= 0 || height <= 0; }
};

// The layout a picture has when nothing else is known: packed rows padded to 4
// bytes; YV12 as Y, V, U planes with 4-byte padded rows.
struct PlaneLayout {
  std::size_t offset[3] = {};
  std::ptrdiff_t stride[3] = {};
  std::size_t size = 0;
};
PlaneLayout defaultLayout(PixelFormat format, int width, int height);

// A picture of the default layout over `data`; `bih` gives size and order.
Picture pictureAt(PixelFormat format, const BitmapInfoHeader& bih, std::uint8_t* data);

}  // namespace lumi::caption
