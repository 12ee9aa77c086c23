#pragma once
// Where the caption block goes on the drawing surface.
namespace lumi::caption {

struct PixelRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  bool empty() const { return right <= left || bottom <= top; }
  PixelRect inflated(int by) const { return {left - by, top - by, right + by, bottom + by}; }
  PixelRect clippedTo(int w, int h) const;
  friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// The width text is wrapped to on a surface of `surfaceWidth`: the block is
// shifted 10 pixels right of centre, so it must leave room for that shift.
int captionWrapWidth(int surfaceWidth);

// The block of a measured text: moved by (10, 10) and clipped to the surface,
// then centred horizontally (and so 10 pixels right of centre), and moved down
// by (surface height - block height - 10) * position / 100. Position 0 puts
// the top 10 pixels below the top edge, 100 the bottom on the bottom edge.
// Positions beyond 0-100 may move the block off the surface.
PixelRect placeCaption(int textWidth, int textHeight, int surfaceWidth, int surfaceHeight, int position);

}  // namespace lumi::caption
