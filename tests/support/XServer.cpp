#include "tests/support/XServer.h"

#include <xcb/xcb.h>

#include <QByteArrayList>
#include <QElapsedTimer>
#include <QThread>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace lumi::test {
namespace {

pid_t spawn(const std::vector<QByteArray>& args, int keepFd = -1) {
  const pid_t pid = fork();
  if (pid != 0) return pid;
  const int devnull = open("/dev/null", O_RDWR);
  dup2(devnull, 0);
  dup2(devnull, 1);
  if (!qEnvironmentVariableIsSet("LUMI_TEST_XSERVER_LOG")) dup2(devnull, 2);
  for (int fd = 3; fd < 1024; ++fd)
    if (fd != keepFd) close(fd);
  std::vector<char*> argv;
  for (const QByteArray& a : args) argv.push_back(const_cast<char*>(a.constData()));
  argv.push_back(nullptr);
  execvp(argv[0], argv.data());
  _exit(127);
}

void stop(pid_t& pid) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  for (int i = 0; i < 200; ++i) {
    if (waitpid(pid, nullptr, WNOHANG) == pid) { pid = -1; return; }
    QThread::msleep(10);
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  pid = -1;
}

// True once a window manager has announced itself on the root window.
bool windowManagerRunning(const QByteArray& display) {
  xcb_connection_t* c = xcb_connect(display.constData(), nullptr);
  if (xcb_connection_has_error(c)) { xcb_disconnect(c); return false; }
  const char name[] = "_NET_SUPPORTING_WM_CHECK";
  xcb_intern_atom_reply_t* atom =
      xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, sizeof name - 1, name), nullptr);
  bool running = false;
  if (atom) {
    xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_get_property_reply_t* prop = xcb_get_property_reply(
        c, xcb_get_property(c, 0, root, atom->atom, XCB_ATOM_WINDOW, 0, 1), nullptr);
    running = prop && xcb_get_property_value_length(prop) == 4;
    free(prop);
    free(atom);
  }
  xcb_disconnect(c);
  return running;
}

}  // namespace

XServer::XServer(WindowManager wm, int width, int height) : oldDisplay_(qgetenv("DISPLAY")) {
  if (!startXvfb(width, height)) return;
  qputenv("DISPLAY", display_.toUtf8());
  if (wm == WindowManager::Openbox && !startOpenbox()) {
    stop(xvfbPid_);
    display_.clear();
  }
}

XServer::~XServer() {
  stop(wmPid_);
  stop(xvfbPid_);
  if (oldDisplay_.isEmpty()) qunsetenv("DISPLAY"); else qputenv("DISPLAY", oldDisplay_);
}

bool XServer::startXvfb(int width, int height) {
  int fds[2];
  if (pipe(fds) != 0) { error_ = "pipe failed"; return false; }
  const QByteArray screen = QByteArray::number(width) + "x" + QByteArray::number(height) + "x24";
  xvfbPid_ = spawn({"Xvfb", "-displayfd", QByteArray::number(fds[1]), "-screen", "0", screen,
                    "-nolisten", "tcp", "-noreset"},
                   fds[1]);
  close(fds[1]);
  QByteArray number;
  pollfd p{fds[0], POLLIN, 0};
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < 20000 && !number.endsWith('\n')) {
    if (poll(&p, 1, 200) <= 0) continue;
    char buf[32];
    const ssize_t n = read(fds[0], buf, sizeof buf);
    if (n <= 0) break;
    number.append(buf, n);
  }
  close(fds[0]);
  if (!number.endsWith('\n')) {
    error_ = "Xvfb did not start (is the package xvfb installed?)";
    stop(xvfbPid_);
    return false;
  }
  display_ = ":" + QString::fromLatin1(number.trimmed());
  return true;
}

bool XServer::startOpenbox() {
  const QByteArray display = display_.toUtf8();
  const pid_t pid = fork();
  if (pid == 0) {
    setenv("DISPLAY", display.constData(), 1);
    const int devnull = open("/dev/null", O_RDWR);
    dup2(devnull, 0);
    dup2(devnull, 1);
    dup2(devnull, 2);
    execlp("openbox", "openbox", "--sm-disable", static_cast<char*>(nullptr));
    _exit(127);
  }
  wmPid_ = pid;
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < 20000) {
    if (windowManagerRunning(display)) return true;
    if (waitpid(wmPid_, nullptr, WNOHANG) == wmPid_) break;
    QThread::msleep(20);
  }
  error_ = "openbox did not start";
  wmPid_ = -1;
  return false;
}

}  // namespace lumi::test
