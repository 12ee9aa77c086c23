#include "platform/display/RecordingDisplaySettings.h"

#include <cmath>

namespace lumi::display {

RecordingDisplaySettings::RecordingDisplaySettings(DisplayMode current) : current_(current) {
  monitors_ = {Monitor{QStringLiteral("TV-1"), QRect(0, 0, current.width, current.height), true}};
}

std::optional<DisplayMode> RecordingDisplaySettings::currentMode(const QString&) {
  ++reads_;
  if (!readable_) return std::nullopt;
  return current_;
}

bool RecordingDisplaySettings::changeMode(const DisplayMode& mode, const QString& monitor) {
  Change change{monitor, mode, false};
  if (available_.isEmpty()) {
    change.accepted = true;
    current_ = mode;
  } else {
    // The same choice as a real monitor: that size, the nearest refresh.
    const DisplayMode* best = nullptr;
    for (const DisplayMode& candidate : available_) {
      if (!candidate.sameSize(mode)) continue;
      if (!best || (mode.refreshHz > 0 && std::abs(candidate.refreshHz - mode.refreshHz) <
                                              std::abs(best->refreshHz - mode.refreshHz)))
        best = &candidate;
    }
    if (best) {
      change.accepted = true;
      current_ = *best;
    }
  }
  changes_.append(change);
  if (change.accepted && !monitors_.isEmpty()) monitors_.first().geometry.setSize({current_.width, current_.height});
  return change.accepted;
}

QList<Monitor> RecordingDisplaySettings::monitors() { return monitors_; }

}  // namespace lumi::display
