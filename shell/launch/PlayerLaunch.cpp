#include "shell/launch/PlayerLaunch.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QWidget>

#include "common/skin/ClientPath.h"
#include "common/suite/PeerWindows.h"
#include "common/suite/SuiteMessages.h"
#include "platform/registry/Registry.h"
#include "platform/text/StringTable.h"
#include "shell/base/CShellDialog.h"

namespace lumi::shell {

QString PlayerProgram() { return skin::ClientFile(text::str(3116)); }

qint64 LaunchPlayer(const QString& program, const QString& parameter) {
  qint64 pid = 0;
  if (!QProcess::startDetached(program, {parameter}, QString(), &pid)) return 0;
  return pid;
}

ProcessWatch::ProcessWatch(qint64 pid, QObject* parent) : QObject(parent) {
  if (pid <= 0) return;
  fd_ = int(::syscall(SYS_pidfd_open, pid_t(pid), 0));
  if (fd_ < 0) return;
  notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
    notifier_->setEnabled(false);
    emit ended();
  });
}

ProcessWatch::~ProcessWatch() {
  notifier_.reset();
  if (fd_ >= 0) ::close(fd_);
}

void WriteCurrentMonitor(QWidget* window) {
  if (!window) return;
  const QRect rect = window->frameGeometry();
  QScreen* best = nullptr;
  qint64 bestArea = -1;
  qint64 bestDistance = -1;
  for (QScreen* screen : QGuiApplication::screens()) {
    const QRect overlap = screen->geometry().intersected(rect);
    const qint64 area = overlap.isEmpty() ? 0 : qint64(overlap.width()) * overlap.height();
    const QPoint d = screen->geometry().center() - rect.center();
    const qint64 distance = qint64(d.x()) * d.x() + qint64(d.y()) * d.y();
    if (area > bestArea || (area == bestArea && distance < bestDistance)) {
      best = screen;
      bestArea = area;
      bestDistance = distance;
    }
  }
  if (!best) return;
  registry::Key::create(registry::Root::CurrentUser, kRegistryRoot).writeString("CurrentMonitor", best->name());
}

qint64 StartPlayer(CShellDialog* owner, const QString& parameter, bool hideOwner) {
  ShellContext& context = owner->context();
  if (const desktop::WindowId player = suite::FindPeerWindow(context.playerTitle, *context.desktop)) {
    suite::CloseSuiteProgram(player, suite::GoneWhen::PingFails, 5000, *context.desktop);
  }
  if (context.frameKeys) context.frameKeys(suite::KeyStop);
  const qint64 pid = LaunchPlayer(PlayerProgram(), parameter);
  if (hideOwner && pid > 0) {
    owner->hide();
    auto* watch = new ProcessWatch(pid, owner);
    QPointer<CShellDialog> guarded(owner);
    QObject::connect(watch, &ProcessWatch::ended, owner, [guarded, watch] {
      watch->deleteLater();
      if (!guarded || guarded->isVisible() || guarded->IsMinimised()) return;
      guarded->show();
      guarded->context().SetCurrentWindow(guarded);
    });
  }
  return pid;
}

}  // namespace lumi::shell
