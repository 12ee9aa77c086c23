#include "platform/desktop/Process.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <cerrno>
#include <csignal>
#include <poll.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace lumi::desktop {
namespace {

bool ownedByUs(std::int64_t pid) {
  struct stat st{};
  const QByteArray path = "/proc/" + QByteArray::number(static_cast<qlonglong>(pid));
  return stat(path.constData(), &st) == 0 && st.st_uid == geteuid();
}

// A zombie has ended even though kill(pid, 0) still finds it.
bool zombie(std::int64_t pid) {
  const QByteArray path = "/proc/" + QByteArray::number(static_cast<qlonglong>(pid)) + "/stat";
  FILE* f = fopen(path.constData(), "r");
  if (!f) return false;
  char buffer[512] = {};
  const size_t n = fread(buffer, 1, sizeof buffer - 1, f);
  fclose(f);
  const QByteArray stat(buffer, static_cast<qsizetype>(n));
  const qsizetype close = stat.lastIndexOf(')');
  return close > 0 && close + 2 < stat.size() && stat[close + 2] == 'Z';
}

}  // namespace

bool processRunning(std::int64_t pid) {
  if (pid <= 0) return false;
  if (kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) return false;
  return !zombie(pid);
}

bool waitForProcessEnd(std::int64_t pid, int timeoutMs) {
  QElapsedTimer timer;
  timer.start();
  const int pidfd = static_cast<int>(syscall(SYS_pidfd_open, static_cast<pid_t>(pid), 0));
  while (processRunning(pid)) {
    const qint64 left = timeoutMs - timer.elapsed();
    if (left <= 0) {
      if (pidfd >= 0) close(pidfd);
      return false;
    }
    if (pidfd >= 0) {
      pollfd p{pidfd, POLLIN, 0};
      poll(&p, 1, static_cast<int>(std::min<qint64>(left, 50)));
    } else {
      usleep(10000);
    }
  }
  if (pidfd >= 0) close(pidfd);
  return true;
}

bool terminateProcess(std::int64_t pid, int graceMs) {
  if (pid <= 0 || pid == getpid() || !ownedByUs(pid)) return false;
  if (kill(static_cast<pid_t>(pid), SIGTERM) != 0) return false;
  if (!waitForProcessEnd(pid, graceMs)) kill(static_cast<pid_t>(pid), SIGKILL);
  return true;
}

}  // namespace lumi::desktop
