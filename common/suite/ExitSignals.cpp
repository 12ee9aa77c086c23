#include "common/suite/ExitSignals.h"

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace lumi::suite {
namespace {

// A handler may only do async-signal-safe work: it writes the signal's number
// to a socket that the event loop watches.
int gPipe[2] = {-1, -1};
constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

void onSignal(int signal) {
  const int saved = errno;
  const unsigned char number = static_cast<unsigned char>(signal);
  [[maybe_unused]] const ssize_t n = ::write(gPipe[0], &number, 1);
  errno = saved;
}

}  // namespace

ExitSignals::ExitSignals(QObject* parent) : QObject(parent) {
  if (gPipe[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, gPipe) != 0) return;
  ::fcntl(gPipe[0], F_SETFL, O_NONBLOCK);
  ::fcntl(gPipe[1], F_SETFL, O_NONBLOCK);
  notifier_ = new QSocketNotifier(gPipe[1], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [this] {
    unsigned char number = 0;
    while (::read(gPipe[1], &number, 1) == 1) emit exitRequested(number);
  });
  struct sigaction action {};
  action.sa_handler = onSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal : kSignals) ::sigaction(signal, &action, nullptr);
}

ExitSignals::~ExitSignals() {
  if (!notifier_) return;
  for (const int signal : kSignals) ::signal(signal, SIG_DFL);
  delete notifier_;
  ::close(gPipe[0]);
  ::close(gPipe[1]);
  gPipe[0] = gPipe[1] = -1;
}

}  // namespace lumi::suite
