#pragma once
// A display for tests: it shows what it was told to show, accepts the modes
// it was given, and records every change asked of it.
#include "platform/display/DisplaySettings.h"

namespace lumi::display {

class RecordingDisplaySettings : public DisplaySettings {
 public:
  struct Change {
    QString monitor;
    DisplayMode mode;
    bool accepted = false;
  };

  // One primary monitor "TV-1" showing `current`, which accepts every mode
  // unless setAvailableModes() narrows that down.
  explicit RecordingDisplaySettings(DisplayMode current = {1024, 768, 60.0});

  std::optional<DisplayMode> currentMode(const QString& monitor = {}) override;
  bool changeMode(const DisplayMode& mode, const QString& monitor = {}) override;
  QList<Monitor> monitors() override;

  // Test set-up.
  void setCurrent(const DisplayMode& mode) { current_ = mode; }
  void setReadable(bool readable) { readable_ = readable; }
  void setAvailableModes(const QList<DisplayMode>& modes) { available_ = modes; }
  void setMonitors(const QList<Monitor>& monitors) { monitors_ = monitors; }

  // What the callers did.
  const QList<Change>& changes() const { return changes_; }
  int reads() const { return reads_; }
  DisplayMode current() const { return current_; }

 private:
  DisplayMode current_;
  bool readable_ = true;
  QList<DisplayMode> available_;  // empty: any mode is accepted as asked
  QList<Monitor> monitors_;
  QList<Change> changes_;
  int reads_ = 0;
};

}  // namespace lumi::display
