#pragma once
// A private Xvfb for one test program, optionally with a reparenting EWMH
// window manager (openbox) on it. DISPLAY is set for the test process and so
// for every process it starts; the previous value comes back on destruction.
#include <QByteArray>
#include <QString>
#include <sys/types.h>

namespace lumi::test {

class XServer {
 public:
  enum class WindowManager { None, Openbox };

  explicit XServer(WindowManager wm = WindowManager::None, int width = 1024, int height = 768);
  ~XServer();
  XServer(const XServer&) = delete;
  XServer& operator=(const XServer&) = delete;

  bool ok() const { return !display_.isEmpty(); }
  QString display() const { return display_; }
  QString error() const { return error_; }
  bool hasWindowManager() const { return wmPid_ > 0; }

 private:
  bool startXvfb(int width, int height);
  bool startOpenbox();

  pid_t xvfbPid_ = -1;
  pid_t wmPid_ = -1;
  QString display_;
  QString error_;
  QByteArray oldDisplay_;
};

}  // namespace lumi::test
