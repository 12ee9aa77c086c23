#include "player/captions/CaptionClock.h"

#include <algorithm>
#include <cmath>

namespace lumi::player {

namespace {
// A timer that fires before the position reaches the entry (the decoder
// stalled, or the pipeline clock runs slow) comes back after what is left,
// but not sooner than this, so a stalled movie costs little.
constexpr int kMinimumWaitMs = 2;
// However far the next entry is, the position is looked at again after this,
// so a seek nobody reported is caught up with within half a second.
constexpr int kMaximumWaitMs = 500;
}  // namespace

CaptionClock::CaptionClock(PositionSource position, QObject* parent) : QObject(parent), position_(std::move(position)) {
  timer_.setSingleShot(true);
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, &CaptionClock::onTimer);
}

void CaptionClock::setTrack(std::vector<SamiEntry> entries) {
  std::stable_sort(entries.begin(), entries.end(),
                   [](const SamiEntry& a, const SamiEntry& b) { return a.startMs < b.startMs; });
  entries_ = std::move(entries);
  hasTrack_ = true;
  playing_ = false;
  syncMs_ = 0;
  posted_ = -1;
  timer_.stop();
}

void CaptionClock::clearTrack() {
  entries_.clear();
  hasTrack_ = false;
  playing_ = false;
  syncMs_ = 0;
  posted_ = -1;
  timer_.stop();
}

void CaptionClock::play() {
  playing_ = true;
  postInForce(captionTimeMs(), true);
  rearm();
}

void CaptionClock::pause() {
  playing_ = false;
  timer_.stop();
}

void CaptionClock::seeked() {
  postInForce(captionTimeMs(), true);
  rearm();
}

void CaptionClock::setRate(double rate) {
  if (rate > 0 && std::isfinite(rate)) rate_ = rate;
  rearm();
}

bool CaptionClock::stepSync(int ms) {
  if (!hasTrack_) return false;
  syncMs_ += ms;
  seeked();
  return true;
}

void CaptionClock::resetSync() {
  syncMs_ = 0;
  if (hasTrack_) seeked();
}

std::int64_t CaptionClock::captionTimeMs() const {
  // Rounded down to the millisecond, so a caption is never posted early.
  const std::int64_t position = position_ ? position_() : 0;
  return position / 10000 + syncMs_;
}

int CaptionClock::entryAt(std::int64_t ms) const {
  const auto after = std::upper_bound(entries_.begin(), entries_.end(), ms,
                                      [](std::int64_t t, const SamiEntry& e) { return t < e.startMs; });
  return int(after - entries_.begin()) - 1;
}

void CaptionClock::postInForce(std::int64_t nowMs, bool onlyIfChanged) {
  if (!hasTrack_) return;
  const int index = entryAt(nowMs);
  if (index < 0 || (onlyIfChanged && index == posted_)) {
    posted_ = index < 0 ? -1 : posted_;
    return;
  }
  posted_ = index;
  const SamiEntry& entry = entries_[std::size_t(index)];
  emit captionEvent(entry.text, entry.startMs);
}

void CaptionClock::rearm() {
  timer_.stop();
  if (!hasTrack_ || !playing_) return;
  const std::int64_t now = captionTimeMs();
  const int next = entryAt(now) + 1;
  if (next >= int(entries_.size())) return;
  const double waitMs = double(entries_[std::size_t(next)].startMs - now) / rate_;
  timer_.start(int(std::clamp(std::ceil(waitMs), double(kMinimumWaitMs), double(kMaximumWaitMs))));
}

void CaptionClock::onTimer() {
  if (!hasTrack_ || !playing_) return;
  postInForce(captionTimeMs(), true);
  rearm();
}

}  // namespace lumi::player
