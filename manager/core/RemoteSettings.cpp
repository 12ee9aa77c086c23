#include "manager/core/RemoteSettings.h"

#include <QDir>

#include "platform/registry/Registry.h"

namespace lumi::manager {

using registry::Key;
using registry::Root;

QString portName(int portNumber) { return QStringLiteral("COM%1").arg(portNumber); }

int portNumberFromName(const QString& name) {
  for (int n = 1; n <= kPortCount; ++n)
    if (name.compare(portName(n), Qt::CaseInsensitive) == 0) return n;
  return 0;
}

QString portMapping(int portNumber) {
  QString mapped;
  if (portNumber < 1 || portNumber > kPortCount) return mapped;
  Key::open(Root::CurrentUser, kPortsKey).readString(portName(portNumber), mapped);
  return mapped.trimmed();
}

QString portDevice(int portNumber) {
  if (portNumber < 1 || portNumber > kPortCount) return {};
  const QString mapped = portMapping(portNumber);
  if (!mapped.isEmpty()) return QDir::isAbsolutePath(mapped) ? mapped : QStringLiteral("/dev/") + mapped;
  return QStringLiteral("/dev/ttyS%1").arg(portNumber - 1);
}

bool mapPort(int portNumber, const QString& device) {
  if (portNumber < 1 || portNumber > kPortCount) return false;
  if (device.isEmpty()) {
    // A mapping that is not there is as good as removed.
    Key key = Key::open(Root::CurrentUser, kPortsKey);
    if (key.isOpen()) key.removeValue(portName(portNumber));
    return true;
  }
  return Key::create(Root::CurrentUser, kPortsKey).writeString(portName(portNumber), device);
}

RemoteModel readRemoteModel(RemoteModel current) {
  quint32 value = 0;
  if (!Key::open(Root::CurrentUser, kKeywardenKey).readDWord(QStringLiteral("Remote"), value)) return current;
  return modelFromValue(value);
}

bool writeRemoteModel(RemoteModel model) {
  return Key::create(Root::CurrentUser, kKeywardenKey).writeDWord(QStringLiteral("Remote"), quint32(model));
}

quint32 readOrCreateComPort(quint32 current) {
  Key key = Key::create(Root::CurrentUser, kKeywardenKey);
  quint32 value = current;
  if (key.readDWord(QStringLiteral("ComPort"), value)) return value;
  // Only a missing value is created; one of another type is left for the user to see.
  registry::ValueType type;
  if (!key.valueType(QStringLiteral("ComPort"), type)) key.writeDWord(QStringLiteral("ComPort"), current);
  return current;
}

bool writeComPort(quint32 index) {
  return Key::create(Root::CurrentUser, kKeywardenKey).writeDWord(QStringLiteral("ComPort"), index);
}

}  // namespace lumi::manager
