#include "manager/core/ProcessEndWatch.h"

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace lumi::manager {
namespace {

constexpr int kFallbackPeriodMs = 200;

bool running(qint64 pid) {
  // A child that has ended stays a zombie until it is reaped; it counts as ended.
  int status = 0;
  if (::waitpid(pid_t(pid), &status, WNOHANG) == pid_t(pid)) return false;
  return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

}  // namespace

ProcessEndWatch::ProcessEndWatch(QObject* parent) : QObject(parent) {
  fallback_.setInterval(kFallbackPeriodMs);
  connect(&fallback_, &QTimer::timeout, this, [this] { check(); });
}

ProcessEndWatch::~ProcessEndWatch() { cancel(); }

bool ProcessEndWatch::watch(qint64 pid) {
  cancel();
  if (pid <= 0) return false;
  pid_ = pid;
  pidfd_ = int(::syscall(SYS_pidfd_open, pid_t(pid), 0));
  if (pidfd_ >= 0) {
    notifier_ = new QSocketNotifier(pidfd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { check(); });
  } else {
    fallback_.start();
  }
  if (running(pid)) return true;
  QTimer::singleShot(0, this, [this] { check(); });
  return false;
}

void ProcessEndWatch::cancel() {
  fallback_.stop();
  if (notifier_) {
    // Often cancelled from the notifier's own signal.
    notifier_->setEnabled(false);
    notifier_->deleteLater();
  }
  notifier_ = nullptr;
  if (pidfd_ >= 0) ::close(pidfd_);
  pidfd_ = -1;
  pid_ = 0;
}

void ProcessEndWatch::check() {
  if (pid_ <= 0 || running(pid_)) return;
  const qint64 pid = pid_;
  cancel();
  emit ended(pid);
}

}  // namespace lumi::manager
