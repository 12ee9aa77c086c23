#include "manager/core/ProcessEndWatch.h"

#include <QFile>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <sys/syscall.h>
#include <unistd.h>

namespace lumi::manager {
namespace {

constexpr int kFallbackPeriodMs = 200;

bool running(qint64 pid) {
  if (::kill(pid_t(pid), 0) != 0 && errno != EPERM) return false;
  // An ended process stays a zombie until its parent reaps it, which for a
  // detached program is whoever adopted it: it counts as ended.
  QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
  if (!stat.open(QIODevice::ReadOnly)) return false;
  const QByteArray line = stat.readAll();
  const qsizetype close = line.lastIndexOf(')');
  return close < 0 || close + 2 >= line.size() || line.at(close + 2) != 'Z';
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
    // A pidfd becomes readable once the process has ended, reaped or not.
    connect(notifier_, &QSocketNotifier::activated, this, [this] { finish(); });
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
  if (pid_ > 0 && !running(pid_)) finish();
}

void ProcessEndWatch::finish() {
  if (pid_ <= 0) return;
  const qint64 pid = pid_;
  cancel();
  emit ended(pid);
}

}  // namespace lumi::manager
