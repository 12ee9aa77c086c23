#pragma once
// The desktop layer: top-level windows of all programs on the user's desktop
// and the window messages the suite's programs exchange. Programs reach each
// other only through it: by exact window title in z-order, then by message
// number, wParam, lParam and copy-data records.
//
// Rules every backend keeps:
// - a foreign window (not a suite window) answers 0 to every message, and so
//   does a window that is gone;
// - while a program waits for the answer to a send, it still handles the
//   messages sent to its own windows, so two programs that call each other
//   never deadlock;
// - only processes of the same user can deliver messages;
// - a send gives up after sendTimeout() and answers 0, so that a hung peer
//   cannot freeze the sender for ever.
//
// Use it from the user-interface thread.
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QWidget;

namespace lumi::desktop {

using WindowId = std::uint64_t;  // 0 = no window

// The standard window messages the suite uses besides its own numbers.
inline constexpr std::uint32_t WM_CLOSE = 0x0010;
inline constexpr std::uint32_t WM_COPYDATA = 0x004A;
inline constexpr std::uint32_t WM_USER = 0x0400;

struct WindowMessage {
  std::uint32_t message = 0;
  std::uint64_t wParam = 0;   // for WM_COPYDATA: the sender's window
  std::int64_t lParam = 0;
  std::uint64_t dataWord = 0; // WM_COPYDATA only
  QByteArray data;            // WM_COPYDATA only; valid during the call
  bool posted = false;        // posted (the result is ignored) or sent
};

// Answers one message for a registered window. Posted messages arrive as
// posted Qt events on the window, in order; sent ones are called directly.
using MessageHandler = std::function<std::int64_t(const WindowMessage&)>;

class Desktop {
 public:
  virtual ~Desktop() = default;

  // The backend for this process: X11 when the program runs on an X display
  // (Qt's xcb platform, or DISPLAY set for a program without windows), the
  // in-process one otherwise. Created on first use.
  static Desktop& instance();
  // Replaces the process's backend (tests); the previous one is destroyed.
  static void setInstance(std::unique_ptr<Desktop> desktop);

  virtual QString backendName() const = 0;

  // Makes a top-level widget a suite window: it becomes findable by its title
  // with its handler answering messages. Unregistered when the widget goes.
  virtual WindowId registerWindow(QWidget* window, MessageHandler handler) = 0;
  virtual void unregisterWindow(WindowId window) = 0;

  // Every top-level window of the desktop, the top of the z-order first.
  virtual std::vector<WindowId> topLevelWindows() = 0;
  // The top-level windows whose title equals `title` exactly (case-sensitive), top first.
  std::vector<WindowId> windowsTitled(const QString& title);
  virtual QString windowTitle(WindowId window) = 0;
  virtual bool windowExists(WindowId window) = 0;
  // The process that owns a window, 0 when unknown.
  virtual std::int64_t windowProcess(WindowId window) = 0;
  virtual WindowId foregroundWindow() = 0;
  // Restores, raises and activates a window.
  virtual bool bringToFront(WindowId window) = 0;

  // Sends a message and returns the answer (0 for a foreign or gone window, or
  // when the receiver does not answer within sendTimeout()).
  virtual std::int64_t send(WindowId window, std::uint32_t message, std::uint64_t wParam,
                            std::int64_t lParam) = 0;
  // Posts a message; false when it cannot be queued (no such suite window).
  // WM_CLOSE posted to a foreign window asks it to close (WM_DELETE_WINDOW).
  virtual bool post(WindowId window, std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) = 0;
  // Sends WM_COPYDATA with the sender's window as wParam and a data word and bytes.
  virtual std::int64_t sendCopyData(WindowId window, WindowId from, std::uint64_t dataWord,
                                    const QByteArray& data) = 0;

  // True when the last send() or sendCopyData() gave up waiting.
  bool lastSendTimedOut() const { return lastSendTimedOut_; }
  int sendTimeout() const { return sendTimeoutMs_; }
  void setSendTimeout(int milliseconds) { sendTimeoutMs_ = milliseconds; }

 protected:
  bool lastSendTimedOut_ = false;
  int sendTimeoutMs_ = 5000;
};

}  // namespace lumi::desktop
