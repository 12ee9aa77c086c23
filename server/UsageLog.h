#pragma once
// The statistics server's record: one line per usage report ("usage 4"), on
// standard output and, when configured, appended to a stats file. Each line
// is flushed as it is written, so a server that is killed loses nothing it
// has acknowledged by reading.
#include <QFile>
#include <QString>

namespace lumi::server {

class UsageLog {
 public:
  // Opens (creating) the stats file for appending; false with a message in
  // `error` when it cannot be written.
  bool openStatsFile(const QString& path, QString& error);
  void record(qint32 usageKind);

 private:
  QFile statsFile_;
};

}  // namespace lumi::server
