#pragma once
// What every shell window shares: the current window (the one that gets the
// remote's keys), the main window and its position, the display mode and the
// registry root. One per shell process.
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QString>
#include <functional>

#include "platform/desktop/Desktop.h"

namespace lumi::shell {

class CShellDialog;

inline const QString kRegistryRoot = QStringLiteral("Software\\Quelmar\\Lumicaster");

struct ShellContext {
  desktop::Desktop* desktop = &desktop::Desktop::instance();
  QString managerTitle;                      // string 3230 of the shell's table
  QString playerTitle = QStringLiteral("Lumicaster Movie Player");
  QPointer<CShellDialog> current;
  QPointer<CShellDialog> main;
  QPoint mainPosition;                       // every shell window lies here
  int displayMode = 1;                       // "Resolution": 1 television mode, 0 windowed
  // Switches to television mode (true) or back to the settings found at
  // start (false); empty in tests that have no display port.
  std::function<void(bool)> applyDisplayMode;
  // The keys every shell window but the message dialogs shares and the main
  // window carries out: background music (24-28, 33/34, 39), volume and mute
  // (31, 32, 35). True when the code was one of them. Set by the main window.
  std::function<bool(int code)> frameKeys;

  // The monitor television mode switches, as the display reports it now. Qt
  // learns of a mode switch only some time after it, so right after one its
  // screens still have the old size. Empty where nothing really switches.
  std::function<QRect()> televisionMonitor;

  // A window manager runs on the display (it can show a window minimised);
  // backends without one (tests) count as having one.
  bool HasWindowManager() const;

  bool windowed() const { return displayMode == 0; }
  bool television() const { return displayMode == 1; }
  // The monitor a window at `rect` shows on: in television mode the one that
  // was switched, else Qt's screen under the rectangle (the primary one when
  // none is).
  QRect MonitorAt(const QRect& rect) const;
  // Outside windowed mode the shell lies centred on its monitor: the main
  // window's position becomes the centre of the monitor as it is now, and the
  // main window and the current window move there.
  void CentreOnMonitor();
  // Makes `window` current and announces it to the manager as its key target.
  void SetCurrentWindow(CShellDialog* window);
};

}  // namespace lumi::shell
