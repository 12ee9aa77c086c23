#pragma once
// One output frame: the picture copied in (with the player's bitmap blended
// over it), then the caption drawn over that.
//
// The caption is drawn into the surface and converted for the output format
// only when its text, font, place or the format change; every other frame
// copies the converted pixels, so a caption costs little more than its area.
#include <memory>
#include <string>

#include "filter/core/CaptionState.h"
#include "filter/core/CaptionSurface.h"
#include "filter/core/CaptionText.h"
#include "filter/core/Picture.h"

namespace lumi::caption {

class FrameComposer {
 public:
  FrameComposer();
  ~FrameComposer();

  // A surface of the output size, all transparent, and the text drawing
  // context; called when streaming starts and when the output size changes.
  void start(int width, int height);
  // Releases the surface and the drawing context.
  void stop();
  bool started() const { return static_cast<bool>(memoryDC); }

  // `in` and `out` share the pixel format (else the frame is black).
  void compose(const Picture& in, const Picture& out, const CaptionState& state);

  // The caption block drawn by the last compose with a caption, and the
  // surface area its pixels may cover.
  PixelRect captionRect() const { return block_; }
  PixelRect captionArea() const { return touched_; }
  const CaptionSurface& surface() const { return subBitmap; }
  // The drawing context, for measuring; null before start().
  CaptionText* text() { return memoryDC.get(); }

 private:
  void drawCaption(const CaptionState& state, PixelFormat format);

  std::unique_ptr<CaptionText> memoryDC;
  CaptionSurface subBitmap;
  CaptionStamp stamp_;

  std::shared_ptr<const CaptionFont> appliedFont_;
  bool measured_ = false;
  std::string measuredText_;
  int measuredWrap_ = 0;
  PictureSize measuredSize_;
  bool drawn_ = false;
  PixelRect block_, touched_;
  bool stamped_ = false;
};

}  // namespace lumi::caption
