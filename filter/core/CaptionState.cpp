#include "filter/core/CaptionState.h"

#include <glib.h>

#include <cstring>

#include "filter/core/PixelFormat.h"

namespace lumi::caption {

CaptionSettings::CaptionSettings() : state_(std::make_shared<const CaptionState>()) {}

std::shared_ptr<const CaptionState> CaptionSettings::snapshot() const {
  std::lock_guard lock(mutex_);
  return state_;
}

template <typename Change>
void CaptionSettings::update(Change change) {
  std::lock_guard lock(mutex_);
  auto next = std::make_shared<CaptionState>(*state_);
  change(*next);
  state_ = std::move(next);
}

void CaptionSettings::setText(const char* text) {
  std::string value;
  if (text) {
    const std::size_t length = std::strlen(text);
    if (g_utf8_validate(text, gssize(length), nullptr)) {
      value.assign(text, length);
    } else {
      gchar* valid = g_utf8_make_valid(text, gssize(length));
      value = valid;
      g_free(valid);
    }
  }
  update([&](CaptionState& s) { s.captionText = std::move(value); });
}

void CaptionSettings::setPosition(int percent) {
  update([&](CaptionState& s) { s.captionPosition = percent; });
}

void CaptionSettings::setFont(std::shared_ptr<const CaptionFont> font) {
  update([&](CaptionState& s) { s.captionFont = std::move(font); });
}

bool CaptionSettings::setFontIfUnset(std::shared_ptr<const CaptionFont> font) {
  std::lock_guard lock(mutex_);
  if (state_->captionFont) return false;
  auto next = std::make_shared<CaptionState>(*state_);
  next->captionFont = std::move(font);
  state_ = std::move(next);
  return true;
}

void CaptionSettings::setOverlayBitmap(const std::uint8_t* bits, int width, int height, std::ptrdiff_t stride) {
  if (!bits || width <= 0 || height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide ||
      stride < std::ptrdiff_t(width) * 4) {
    clearOverlayBitmap();
    return;
  }
  // Copied outside the lock: the streaming thread never waits for a bitmap copy.
  auto image = std::make_shared<OverlayImage>();
  image->width = width;
  image->height = height;
  const std::size_t rowBytes = std::size_t(width) * 4;
  image->pixels.resize(rowBytes * std::size_t(height));
  for (int y = 0; y < height; ++y)
    std::memcpy(image->pixels.data() + rowBytes * std::size_t(y), bits + stride * y, rowBytes);
  update([&](CaptionState& s) { s.overlayBitmap = std::move(image); });
}

void CaptionSettings::clearOverlayBitmap() {
  update([](CaptionState& s) { s.overlayBitmap.reset(); });
}

}  // namespace lumi::caption
