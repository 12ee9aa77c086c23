#pragma once
// The desktop layer inside one process: the backend for unit tests and for a
// program that runs without a display. Windows are this process's registered
// widgets plus stand-ins for foreign windows; the z-order is the order in
// which they were registered or brought to the front.
#include "platform/desktop/Desktop.h"
#include "platform/desktop/LocalWindows.h"

#include <QHash>
#include <QString>

namespace lumi::desktop {

class InProcessDesktop : public Desktop {
 public:
  InProcessDesktop();

  QString backendName() const override { return QStringLiteral("in-process"); }
  WindowId registerWindow(QWidget* window, MessageHandler handler) override;
  void unregisterWindow(WindowId window) override;
  std::vector<WindowId> topLevelWindows() override;
  QString windowTitle(WindowId window) override;
  bool windowExists(WindowId window) override;
  std::int64_t windowProcess(WindowId window) override;
  WindowId foregroundWindow() override;
  bool bringToFront(WindowId window) override;
  std::int64_t send(WindowId window, std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override;
  bool post(WindowId window, std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override;
  std::int64_t sendCopyData(WindowId window, WindowId from, std::uint64_t dataWord, const QByteArray& data) override;

  // A window of another program: it has a title and a place in the z-order,
  // and answers 0 to every message. On top when created.
  WindowId addForeignWindow(const QString& title);
  void removeForeignWindow(WindowId window);

 private:
  void raise(WindowId window);

  WindowId nextId_ = 0x1000;
  std::vector<WindowId> zOrder_;  // top first
  QHash<WindowId, QString> foreign_;
  LocalWindows local_;
};

}  // namespace lumi::desktop
