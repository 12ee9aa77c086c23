#include "player/app/SleepInhibitor.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>

namespace lumi::player {

SleepInhibitor::SleepInhibitor() {
  QDBusConnection bus = QDBusConnection::systemBus();
  if (!bus.isConnected()) return;
  QDBusInterface logind(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                        QStringLiteral("org.freedesktop.login1.Manager"), bus);
  if (!logind.isValid()) return;
  const QDBusReply<QDBusUnixFileDescriptor> reply =
      logind.call(QStringLiteral("Inhibit"), QStringLiteral("sleep:idle"), QStringLiteral("Lumicaster Movie Player"),
                  QStringLiteral("A movie is playing"), QStringLiteral("block"));
  if (reply.isValid()) lock_ = reply.value();
}

}  // namespace lumi::player
