#include "manager/window/ProgramLauncher.h"

#include <QDateTime>
#include <QFileInfo>
#include <QProcess>
#include <csignal>

#include "common/suite/PeerWindows.h"
#include "common/suite/SuiteMessages.h"
#include "platform/desktop/Process.h"

namespace lumi::manager {

namespace {
const QString kUpdaterFile = QStringLiteral("Freshwell.exe");
}

ProgramLauncher::ProgramLauncher(QString programFolder, QString shellFile, desktop::Desktop& desktop, QObject* parent)
    : QObject(parent), folder_(std::move(programFolder)), shellFile_(std::move(shellFile)), desktop_(desktop) {
  connect(&updater_, &ProcessEndWatch::ended, this, [this] {
    if (updaterSpoke_) return;
    // A second updater hands over to a running one and ends at once; the
    // running one is the one to wait for.
    if (const desktop::WindowId running = suite::FindPeerWindow(suite::kUpdaterTitle, desktop_)) {
      if (updater_.watch(desktop_.windowProcess(running))) return;
    }
    emit updaterEndedSilently();
  });
  closing_.setInterval(kClosePollMs);
  connect(&closing_, &QTimer::timeout, this, [this] { closeStep(); });
}

bool ProgramLauncher::start(const QString& file, const QStringList& arguments, qint64* pid) {
  const QString path = folder_ + file;
  // A suite installed without this program: nothing starts.
  if (!QFileInfo(path).isExecutable()) return false;
  return QProcess::startDetached(path, arguments, folder_, pid);
}

bool ProgramLauncher::startShell() { return start(shellFile_, {}, nullptr); }

bool ProgramLauncher::startUpdater(bool visible) {
  qint64 pid = 0;
  if (!start(kUpdaterFile, visible ? QStringList{QStringLiteral("show")} : QStringList{}, &pid)) return false;
  updaterSpoke_ = false;
  updater_.watch(pid);
  return true;
}

void ProgramLauncher::updaterSaidClosed() { updaterSpoke_ = true; }

void ProgramLauncher::closeShell(std::function<void()> then) {
  if (then) afterClose_.push_back(std::move(then));
  if (closing_.isActive()) return;
  closingWindow_ = suite::FindPeerWindow(suite::kShellTitle, desktop_);
  if (!closingWindow_) {
    closeStep();
    return;
  }
  closingPid_ = desktop_.windowProcess(closingWindow_);
  if (closingPid_ > 0) ::kill(pid_t(closingPid_), SIGTERM);
  desktop_.post(closingWindow_, desktop::WM_CLOSE, 0, 0);
  closingSince_ = QDateTime::currentMSecsSinceEpoch();
  killed_ = false;
  closing_.start();
}

void ProgramLauncher::closeStep() {
  const qint64 waited = QDateTime::currentMSecsSinceEpoch() - closingSince_;
  bool gone = !closingWindow_ || desktop_.send(closingWindow_, suite::WM_SUITE_PING, 0, 0) == 0;
  if (!gone && closingPid_ > 0 && !killed_ && waited >= kKillGraceMs) {
    // A shell that is hung or ignores SIGTERM ends all the same.
    desktop::terminateProcess(closingPid_, 0);
    killed_ = true;
  }
  if (!gone && waited < kCloseTimeoutMs) return;
  closing_.stop();
  closingWindow_ = 0;
  closingPid_ = 0;
  auto waiting = std::move(afterClose_);
  afterClose_.clear();
  for (auto& then : waiting) then();
}

}  // namespace lumi::manager
