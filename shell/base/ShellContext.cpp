#include "shell/base/ShellContext.h"

#include <QGuiApplication>
#include <QScreen>

#include "common/suite/PeerWindows.h"
#include "platform/desktop/X11Desktop.h"
#include "shell/base/CShellDialog.h"
#include "shell/base/WindowPlacement.h"

namespace lumi::shell {

bool ShellContext::HasWindowManager() const {
  auto* x11 = dynamic_cast<desktop::X11Desktop*>(desktop);
  return !x11 || x11->windowManagerRunning();
}

QRect ShellContext::MonitorAt(const QRect& rect) const {
  if (television() && televisionMonitor) {
    const QRect switched = televisionMonitor();
    if (switched.isValid()) return switched;
  }
  const QScreen* screen = rect.isValid() ? QGuiApplication::screenAt(rect.center()) : nullptr;
  if (!screen) screen = QGuiApplication::primaryScreen();
  return screen ? screen->geometry() : QRect(QPoint(0, 0), kShellWindowSize);
}

void ShellContext::CentreOnMonitor() {
  if (windowed()) return;
  const QRect monitor = MonitorAt(main ? main->frameGeometry() : QRect());
  mainPosition = CentredPosition(monitor);
  for (CShellDialog* window : {main.data(), current.data()})
    if (window && window->coversMainWindow() && window->pos() != mainPosition) window->move(mainPosition);
}

void ShellContext::SetCurrentWindow(CShellDialog* window) {
  current = window;
  if (window && !managerTitle.isEmpty()) suite::ClaimRemoteKeys(window->windowId(), managerTitle, *desktop);
}

}  // namespace lumi::shell
