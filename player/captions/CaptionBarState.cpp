#include "player/captions/CaptionBarState.h"

#include <algorithm>

#include "player/captions/CaptionEventText.h"

namespace lumi::player {

CaptionBarState::CaptionBarState(QObject* parent, int tickMs) : QObject(parent) {
  hideTimer_.setInterval(tickMs);
  connect(&hideTimer_, &QTimer::timeout, this, &CaptionBarState::hideTick);
}

void CaptionBarState::captionEvent(const QString& rawText) {
  const QString text = cleanCaptionText(rawText);
  if (!captionsOn_ || text.isEmpty()) return;
  currentText_ = text;
  // A blank entry ("&nbsp;") takes the caption away but is not worth showing
  // again, so the caption before it stays the one a re-show brings back.
  if (hasVisibleCaption(text)) lastText_ = text;
  // A toggle, not a restart: the blank entry that normally follows a caption
  // stops the timer, and the caption after it starts it again.
  if (hideTimerArmed_)
    stopHideTimer();
  else
    startHideTimer();
  emit shown(currentText_);
}

void CaptionBarState::reshow() {
  currentText_ = lastText_;
  startHideTimer();
  emit shown(currentText_);
}

void CaptionBarState::clear() {
  stopHideTimer();
  currentText_.clear();
  emit shown(currentText_);
}

void CaptionBarState::hideTick() {
  if (hideTicks_++ != kHideOnTick) return;
  stopHideTimer();
  currentText_.clear();
  emit shown(currentText_);
}

void CaptionBarState::setPositionPercent(int percent) {
  positionPercent_ = std::clamp(percent, 0, 100);
  emit positionChanged(positionPercent_);
}

void CaptionBarState::moveUp() {
  setPositionPercent(positionPercent_ - 2);
  reshow();
}

void CaptionBarState::moveDown() {
  setPositionPercent(positionPercent_ + 2);
  reshow();
}

void CaptionBarState::startHideTimer() {
  hideTicks_ = 0;
  hideTimerArmed_ = true;
  hideTimer_.start();
}

void CaptionBarState::stopHideTimer() {
  hideTimer_.stop();
  hideTimerArmed_ = false;
}

}  // namespace lumi::player
