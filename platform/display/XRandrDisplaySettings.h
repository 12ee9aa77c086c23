#pragma once
// Display settings of an X server through XRandR (1.2 or later): the mode of
// a monitor's output is the mode of the CRTC that drives it, and a change
// picks one of the output's own modes, never a made-up one, and resizes the
// X screen to the monitors' bounding box around the change.
//
// Each call opens its own short connection, so the answer is always the
// server's present state whatever else changed the modes meanwhile.
#include "platform/display/DisplaySettings.h"

#include <QByteArray>

namespace lumi::display {

class XRandrDisplaySettings : public DisplaySettings {
 public:
  // An empty display name means $DISPLAY.
  explicit XRandrDisplaySettings(QByteArray displayName = {});

  std::optional<DisplayMode> currentMode(const QString& monitor = {}) override;
  bool changeMode(const DisplayMode& mode, const QString& monitor = {}) override;
  QList<Monitor> monitors() override;

 private:
  QByteArray displayName_;
};

}  // namespace lumi::display
