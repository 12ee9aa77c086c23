#include "common/suite/PeerWindows.h"

#include <QElapsedTimer>
#include <QThread>

#include "common/suite/SuiteMessages.h"
#include "platform/desktop/Process.h"

namespace lumi::suite {
namespace {

constexpr int kPollMs = 20;

template <typename Gone>
bool waitFor(Gone gone, int timeoutMs) {
  QElapsedTimer timer;
  timer.start();
  while (!gone()) {
    if (timeoutMs >= 0 && timer.elapsed() >= timeoutMs) return false;
    QThread::msleep(kPollMs);
  }
  return true;
}

}  // namespace

bool AnswersPing(WindowId window, desktop::Desktop& desktop) {
  return window != 0 && desktop.send(window, WM_SUITE_PING, 0, 0) == 1;
}

WindowId FindPeerWindow(const QString& title, desktop::Desktop& desktop) {
  // windowsTitled() is the title search followed by the walk through the
  // following windows in z-order, keeping those with the same title.
  for (WindowId window : desktop.windowsTitled(title))
    if (AnswersPing(window, desktop)) return window;
  return 0;
}

bool ClaimRemoteKeys(WindowId ownWindow, const QString& managerTitle, desktop::Desktop& desktop) {
  const WindowId manager = FindPeerWindow(managerTitle, desktop);
  if (manager == 0) return false;
  desktop.sendCopyData(manager, ownWindow, kCopyClaimKeys, {});
  return true;
}

bool BringToForeground(WindowId window, desktop::Desktop& desktop) { return desktop.bringToFront(window); }

bool CloseSuiteProgram(WindowId window, GoneWhen gone, int timeoutMs, desktop::Desktop& desktop) {
  if (const std::int64_t pid = desktop.windowProcess(window)) desktop::terminateProcess(pid);
  desktop.post(window, desktop::WM_CLOSE, 0, 0);
  if (gone == GoneWhen::WindowGone) return waitFor([&] { return !desktop.windowExists(window); }, timeoutMs);
  return WaitUntilGone(window, timeoutMs, desktop);
}

bool WaitUntilGone(WindowId window, int timeoutMs, desktop::Desktop& desktop) {
  return waitFor([&] { return desktop.send(window, WM_SUITE_PING, 0, 0) == 0; }, timeoutMs);
}

}  // namespace lumi::suite
