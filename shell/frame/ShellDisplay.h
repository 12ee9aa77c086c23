#pragma once
// The shell's display mode: in television mode ("Resolution" 1 under
// ROOT\Client, also when absent) the shell switches the primary monitor to
// 800 x 600 while it is in front, and back to the settings it found at
// start when it is minimised or exits. "Resolution" 0 (windowed) and any
// other value leave the display alone.
//
// The switch is temporary (nothing stored), so a shell that dies leaves the
// mode to the X session, which ends with it.
#include "platform/display/DisplaySettings.h"
#include "shell/frame/FrameKeys.h"

#include <QString>
#include <QtGlobal>

#include <optional>

namespace lumi::shell {

class ShellDisplay {
 public:
  static constexpr int kTelevisionWidth = 800;
  static constexpr int kTelevisionHeight = 600;
  static constexpr qint32 kTelevisionMode = 1;
  static constexpr qint32 kWindowedMode = 0;

  explicit ShellDisplay(display::DisplaySettings& settings, QString clientKey = kFrameClientKey);

  // Once at start, before the first switch. False when the display could not
  // be read; nothing is restored then.
  bool SaveDisplaySettings();

  // Re-reads "Resolution" first. true: switch to 800 x 600 unless the present
  // mode is already 800 wide or 600 high; false: back to the saved settings.
  void ApplyDisplayMode(bool televisionMode);

  // "Resolution" as last read: 1 television, 0 windowed, else neither.
  qint32 displayMode() const { return displayMode_; }
  std::optional<display::DisplayMode> savedSettings() const { return saved_; }
  // The display shows the shell's 800 x 600 and has not been restored yet.
  bool switched() const { return switched_; }

 private:
  void readDisplayMode();

  display::DisplaySettings& settings_;
  QString clientKey_;
  qint32 displayMode_ = kTelevisionMode;
  std::optional<display::DisplayMode> saved_;
  bool switched_ = false;
};

}  // namespace lumi::shell
