#pragma once
// The desktop layer on an X display. Titles, stacking order, focus and
// process ids come from the X server, so foreign programs' windows are seen
// as they are; a suite window advertises its process's message endpoint in
// the window property _LUMICASTER_ENDPOINT. Works with a reparenting window
// manager and without any.
#include <xcb/xcb.h>

#include <QHash>
#include <memory>

#include "platform/desktop/Desktop.h"
#include "platform/desktop/LocalWindows.h"
#include "platform/desktop/MessageEndpoint.h"

namespace lumi::desktop {

class X11Desktop : public Desktop {
 public:
  // Uses Qt's own X connection in a program on the xcb platform, so that
  // window creation and the endpoint property reach the server in order;
  // otherwise opens a connection to $DISPLAY. Null when there is no display.
  static std::unique_ptr<X11Desktop> create();
  ~X11Desktop() override;

  QString backendName() const override { return QStringLiteral("x11"); }
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

  // The endpoint a window advertises, empty for a foreign window.
  QString endpointOf(WindowId window);
  xcb_connection_t* connection() const { return connection_; }
  bool windowManagerRunning();

 private:
  X11Desktop(xcb_connection_t* connection, bool owned, int screen);
  std::int64_t deliver(WindowId window, const WindowMessage& message);
  xcb_atom_t atom(const char* name);
  QByteArray property(xcb_window_t window, xcb_atom_t property, xcb_atom_t type, std::uint32_t maxLength = 4096);
  xcb_window_t clientOf(xcb_window_t window, int depth);
  void advertise(WindowId window);
  void drainErrors();

  xcb_connection_t* connection_;
  bool ownsConnection_;
  xcb_window_t root_ = 0;
  QHash<QByteArray, xcb_atom_t> atoms_;
  std::unique_ptr<MessageEndpoint> endpoint_;
  LocalWindows local_;
};

}  // namespace lumi::desktop
