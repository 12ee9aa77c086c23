#pragma once
// The shell's display mode: in television mode ("Resolution" 1 under
// ROOT\Client, also when absent) the shell switches the primary monitor to
// 800 x 600 while it is in front, and back to the settings it found at
// start when it is minimised or exits. "Resolution" 0 (windowed) and any
// other value leave the display alone.
//
// The switch is temporary (the X server forgets it with the session). While
// the display shows the shell's 800 x 600, the settings found at start are
// also kept in a small file in the runtime folder: a shell that ended without
// giving the display back (killed, crashed) leaves them to the next one,
// which gives them back instead of taking 800 x 600 for the original.
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

  // `recordFile` empty: nothing kept between runs.
  explicit ShellDisplay(display::DisplaySettings& settings, QString clientKey = kFrameClientKey,
                        QString recordFile = DefaultRecordFile());

  // In the runtime folder, one per X display; empty without a runtime folder.
  static QString DefaultRecordFile();

  // Once at start, before the first switch. False when the display could not
  // be read; nothing is restored then. When an earlier shell left the display
  // switched, its settings found at start are the ones saved.
  bool SaveDisplaySettings();

  // Re-reads "Resolution" first. true: switch to 800 x 600 unless the present
  // mode is already 800 wide or 600 high; false: back to the saved settings.
  void ApplyDisplayMode(bool televisionMode);

  // "Resolution" as last read: 1 television, 0 windowed, else neither.
  qint32 displayMode() const { return displayMode_; }
  // Reads "Resolution" now (kept when absent) and answers it.
  qint32 ReadDisplayMode();
  std::optional<display::DisplayMode> savedSettings() const { return saved_; }
  // The display shows the shell's 800 x 600 and has not been restored yet.
  bool switched() const { return switched_; }

 private:
  void readDisplayMode();
  void keepRecord(const display::DisplayMode& switchedTo);
  void dropRecord();

  display::DisplaySettings& settings_;
  QString clientKey_;
  QString recordFile_;
  qint32 displayMode_ = kTelevisionMode;
  std::optional<display::DisplayMode> saved_;
  bool switched_ = false;
};

}  // namespace lumi::shell
