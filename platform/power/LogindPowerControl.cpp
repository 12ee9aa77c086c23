#include "platform/power/LogindPowerControl.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QtDebug>

namespace lumi::power {

bool LogindPowerControl::powerOff() {
  QDBusConnection bus = QDBusConnection::systemBus();
  if (!bus.isConnected()) {
    qWarning("power: no system bus: %s", qPrintable(bus.lastError().message()));
    return false;
  }
  QDBusMessage call = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
      QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PowerOff"));
  call << false;
  // Blocking without an event loop: nothing of the shell runs in between,
  // and the answer comes before the shell goes on to close itself.
  const QDBusMessage reply = bus.call(call, QDBus::Block, timeoutMs_);
  if (reply.type() == QDBusMessage::ErrorMessage) {
    qWarning("power: logind refused power-off: %s: %s", qPrintable(reply.errorName()),
             qPrintable(reply.errorMessage()));
    return false;
  }
  return true;
}

}  // namespace lumi::power
