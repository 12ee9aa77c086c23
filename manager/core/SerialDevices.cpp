#include "manager/core/SerialDevices.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <algorithm>

namespace lumi::manager {
namespace {

bool receiverKind(const QString& path) {
  const QString name = QFileInfo(path).fileName();
  return name.startsWith(QLatin1String("ttyS")) || name.startsWith(QLatin1String("ttyUSB")) ||
         name.startsWith(QLatin1String("ttyACM"));
}

// ttyS2 before ttyS10: the number at the end of a name counts as a number.
bool naturalLess(const QString& a, const QString& b) {
  auto split = [](const QString& s) {
    qsizetype cut = s.size();
    while (cut > 0 && s.at(cut - 1).isDigit()) --cut;
    return std::make_pair(s.left(cut), s.mid(cut).toULongLong());
  };
  return split(a) < split(b);
}

QString describe(const PortFacts& port) {
  QString text = port.description.trimmed();
  const QString maker = port.manufacturer.trimmed();
  if (!maker.isEmpty() && !text.contains(maker)) text = text.isEmpty() ? maker : text + QStringLiteral(" (%1)").arg(maker);
  if (!text.isEmpty()) return text;
  const QString name = QFileInfo(port.path).fileName();
  if (name.startsWith(QLatin1String("ttyUSB"))) return QStringLiteral("USB serial adapter");
  if (name.startsWith(QLatin1String("ttyACM"))) return QStringLiteral("USB modem (CDC ACM)");
  return QStringLiteral("built-in serial port");
}

}  // namespace

std::vector<SerialDevice> listSerialDevices(const std::vector<PortFacts>& ports, const QString& byIdFolder) {
  std::vector<PortFacts> kept;
  for (const PortFacts& p : ports)
    if (receiverKind(p.path)) kept.push_back(p);
  std::sort(kept.begin(), kept.end(), [](const PortFacts& a, const PortFacts& b) { return naturalLess(a.path, b.path); });

  std::vector<SerialDevice> devices;
  const QDir byId(byIdFolder);
  for (const QFileInfo& link : byId.entryInfoList(QDir::Files | QDir::System | QDir::NoDotAndDotDot, QDir::Name)) {
    const QString target = link.canonicalFilePath();
    const auto port = std::find_if(kept.begin(), kept.end(), [&](const PortFacts& p) {
      return QFileInfo(p.path).canonicalFilePath() == target || p.path == target;
    });
    if (port == kept.end()) continue;
    devices.push_back({link.absoluteFilePath(), QStringLiteral("%1, %2").arg(describe(*port), port->path)});
  }
  for (const PortFacts& p : kept) devices.push_back({p.path, describe(p)});
  return devices;
}

std::vector<SerialDevice> availableSerialDevices() {
  std::vector<PortFacts> ports;
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
    ports.push_back({info.systemLocation(), info.description(), info.manufacturer()});
  return listSerialDevices(ports, QStringLiteral("/dev/serial/by-id"));
}

}  // namespace lumi::manager
