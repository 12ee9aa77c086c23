#include "filter/core/FrameComposer.h"

#include "filter/core/FrameCopy.h"

namespace lumi::caption {

FrameComposer::FrameComposer() = default;
FrameComposer::~FrameComposer() = default;

void FrameComposer::start(int width, int height) {
  if (!memoryDC) {
    memoryDC = std::make_unique<CaptionText>();
    appliedFont_.reset();
    measured_ = false;
  }
  subBitmap.reset(width, height);
  drawn_ = stamped_ = false;
  block_ = touched_ = {};
  stamp_.clear();
}

void FrameComposer::stop() {
  memoryDC.reset();
  subBitmap.reset(0, 0);
  stamp_.clear();
  appliedFont_.reset();
  measured_ = drawn_ = stamped_ = false;
  block_ = touched_ = {};
}

void FrameComposer::compose(const Picture& in, const Picture& out, const CaptionState& state) {
  if (out.empty()) return;
  if (in.format != out.format) {
    fillBlack(out);
    return;
  }
  if (out.format == PixelFormat::YV12) {
    copyYV12(in, out);
  } else {
    OverlayView view;
    const OverlayView* overlay = nullptr;
    if (state.overlayBitmap) {
      view = state.overlayBitmap->view();
      if (overlayFits(view, out)) overlay = &view;
    }
    copyPacked(in, out, overlay);
  }
  if (state.captionText.empty() || !memoryDC || subBitmap.empty()) return;
  drawCaption(state, out.format);
  stamp_.apply(out);
}

void FrameComposer::drawCaption(const CaptionState& state, PixelFormat format) {
  if (state.captionFont != appliedFont_) {
    memoryDC->setFont(state.captionFont ? *state.captionFont : captionFontFrom(defaultCaptionLogFont()));
    appliedFont_ = state.captionFont;
    measured_ = false;
  }
  const int wrap = captionWrapWidth(subBitmap.width());
  bool changed = false;
  if (!measured_ || measuredText_ != state.captionText || measuredWrap_ != wrap) {
    measuredSize_ = memoryDC->measure(state.captionText, wrap);
    measuredText_ = state.captionText;
    measuredWrap_ = wrap;
    measured_ = true;
    changed = true;
  }
  const PixelRect block =
      placeCaption(measuredSize_.width, measuredSize_.height, subBitmap.width(), subBitmap.height(), state.captionPosition);
  if (changed || !drawn_ || block != block_) {
    subBitmap.clear(touched_);
    touched_ = memoryDC->drawOutlined(subBitmap, block);
    block_ = block;
    drawn_ = true;
    stamped_ = false;
  }
  if (!stamped_ || stamp_.format() != format) {
    stamp_.build(subBitmap, touched_, format);
    stamped_ = true;
  }
}

}  // namespace lumi::caption
