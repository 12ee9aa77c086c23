#pragma once
// What every shell window shares: the current window (the one that gets the
// remote's keys), the main window and its position, the display mode and the
// registry root. One per shell process.
#include <QPoint>
#include <QPointer>
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

  bool windowed() const { return displayMode == 0; }
  // Makes `window` current and announces it to the manager as its key target.
  void SetCurrentWindow(CShellDialog* window);
};

}  // namespace lumi::shell
