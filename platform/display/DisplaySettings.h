#pragma once
// The display settings of the monitors: the mode a monitor shows (width,
// height, refresh) and a temporary change of it. "Temporary" because nothing
// is stored: the change lasts until it is changed back or the X session ends.
//
// Monitors are named as Qt names its screens (QScreen::name()), which on X11
// is the XRandR output name ("HDMI-1"); an empty name means the primary
// monitor, the one a full-screen change is meant for.
#include <QList>
#include <QRect>
#include <QString>

#include <optional>

namespace lumi::display {

struct DisplayMode {
  int width = 0;
  int height = 0;
  // Hertz; 0 when the monitor does not say (a virtual display).
  double refreshHz = 0.0;

  bool sameSize(const DisplayMode& other) const { return width == other.width && height == other.height; }
  friend bool operator==(const DisplayMode&, const DisplayMode&) = default;
};

struct Monitor {
  QString name;
  QRect geometry;  // on the desktop, in pixels
  bool primary = false;
};

class DisplaySettings {
 public:
  virtual ~DisplaySettings() = default;

  // The mode the monitor shows now; nothing when there is no such monitor or
  // the display cannot be asked.
  virtual std::optional<DisplayMode> currentMode(const QString& monitor = {}) = 0;
  // Switches the monitor to one of its own modes of that size, the refresh
  // nearest the one asked for (refreshHz 0: the monitor's preferred one).
  // False, and nothing changed, when it has no mode of that size or the
  // display refuses.
  virtual bool changeMode(const DisplayMode& mode, const QString& monitor = {}) = 0;
  // The monitors that show a picture, the primary one first.
  virtual QList<Monitor> monitors() = 0;
};

}  // namespace lumi::display
