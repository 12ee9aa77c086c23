#include "platform/desktop/InProcessDesktop.h"

#include <QWidget>
#include <algorithm>
#include <unistd.h>

namespace lumi::desktop {

InProcessDesktop::InProcessDesktop()
    : local_([](WindowId oldId, QWidget*) { return oldId; },
             [this](WindowId id) { std::erase(zOrder_, id); }) {}

WindowId InProcessDesktop::registerWindow(QWidget* window, MessageHandler handler) {
  const WindowId id = nextId_++;
  local_.add(id, window, std::move(handler));
  zOrder_.insert(zOrder_.begin(), id);
  return id;
}

void InProcessDesktop::unregisterWindow(WindowId window) {
  local_.remove(window);
  std::erase(zOrder_, window);
}

WindowId InProcessDesktop::addForeignWindow(const QString& title) {
  const WindowId id = nextId_++;
  foreign_.insert(id, title);
  zOrder_.insert(zOrder_.begin(), id);
  return id;
}

void InProcessDesktop::removeForeignWindow(WindowId window) {
  foreign_.remove(window);
  std::erase(zOrder_, window);
}

std::vector<WindowId> InProcessDesktop::topLevelWindows() { return zOrder_; }

QString InProcessDesktop::windowTitle(WindowId window) {
  if (foreign_.contains(window)) return foreign_.value(window);
  QWidget* w = local_.widget(window);
  return w ? w->windowTitle() : QString();
}

bool InProcessDesktop::windowExists(WindowId window) {
  return foreign_.contains(window) || local_.contains(window);
}

std::int64_t InProcessDesktop::windowProcess(WindowId window) {
  return windowExists(window) ? getpid() : 0;
}

WindowId InProcessDesktop::foregroundWindow() { return zOrder_.empty() ? 0 : zOrder_.front(); }

void InProcessDesktop::raise(WindowId window) {
  std::erase(zOrder_, window);
  zOrder_.insert(zOrder_.begin(), window);
}

bool InProcessDesktop::bringToFront(WindowId window) {
  if (!windowExists(window)) return false;
  raise(window);
  if (QWidget* w = local_.widget(window)) {
    w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
    w->show();
    w->raise();
    w->activateWindow();
  }
  return true;
}

std::int64_t InProcessDesktop::send(WindowId window, std::uint32_t message, std::uint64_t wParam,
                                    std::int64_t lParam) {
  lastSendTimedOut_ = false;
  return local_.deliver(window, WindowMessage{message, wParam, lParam, 0, {}, false});
}

bool InProcessDesktop::post(WindowId window, std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) {
  return local_.post(window, WindowMessage{message, wParam, lParam, 0, {}, true});
}

std::int64_t InProcessDesktop::sendCopyData(WindowId window, WindowId from, std::uint64_t dataWord,
                                            const QByteArray& data) {
  lastSendTimedOut_ = false;
  return local_.deliver(window, WindowMessage{WM_COPYDATA, from, 0, dataWord, data, false});
}

}  // namespace lumi::desktop
