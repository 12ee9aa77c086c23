#include "server/UsageLog.h"

#include <cstdio>

namespace lumi::server {

bool UsageLog::openStatsFile(const QString& path, QString& error) {
  statsFile_.setFileName(path);
  if (!statsFile_.open(QIODevice::WriteOnly | QIODevice::Append)) {
    error = statsFile_.errorString();
    return false;
  }
  return true;
}

void UsageLog::record(qint32 usageKind) {
  const QByteArray line = "usage " + QByteArray::number(usageKind) + '\n';
  std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
  std::fflush(stdout);
  if (statsFile_.isOpen()) {
    if (statsFile_.write(line) != line.size() || !statsFile_.flush())
      std::fprintf(stderr, "stats file: %s\n", qPrintable(statsFile_.errorString()));
  }
}

}  // namespace lumi::server
