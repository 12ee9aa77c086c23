#pragma once
// The scan worker: one per drive and browser. It walks the drive, writes each
// find to the catalogue file at once (so a stopped scan keeps what it found)
// and hands finds and progress to the browser with queued signals; it never
// touches a window or the browser's in-memory catalogue.
//
// The browser asks it to stop by clearing the shared scanning flag, which the
// worker reads before every item. A worker may outlive its browser (a hung
// network folder): it then only finishes its current call, sees the flag and
// ends, and deletes itself; signals to a browser that is gone go nowhere.
#include <QMetaType>
#include <QString>
#include <QThread>

#include <atomic>
#include <functional>
#include <memory>

#include "shell/library/CatalogFormat.h"

namespace lumi::library {

// Bytes in use on the file system of a folder (size minus free space); the
// real one asks statvfs, tests give their own.
using UsedBytesPort = std::function<qint64(const QString& root)>;
qint64 UsedBytesOnDisk(const QString& root);

enum class ScanEnd { Completed, Stopped, FilesFailed };

struct ScanRequest {
  MediaKind kind = MediaKind::Movie;
  QString root;           // host folder of the drive
  int driveIndex = 0;     // position in the browser's list; names the files
  int driveBit = 0;
  QString dataDir;        // ends in "/"
  EnabledTypes enabled;
  QString rootFolderText; // folder shown for files in the drive's root
  UsedBytesPort usedBytes;
};

class CSearchThread : public QThread {
  Q_OBJECT
 public:
  // The flag is shared with the browser: 1 while the scan should go on.
  CSearchThread(ScanRequest request, std::shared_ptr<std::atomic<int>> scanning);
  ~CSearchThread() override;

  // Whether a worker for this catalogue (kind and drive index) is still
  // running in this process; two workers never write one catalogue.
  static bool busy(MediaKind kind, int driveIndex, const QString& dataDir);

  const ScanRequest& request() const { return request_; }
  int fileCount() const { return fileCount_; }

  static inline const QString skipFolder = QStringLiteral("Temporary Internet Files");

 signals:
  void measured(int driveIndex, qint64 total);
  // Finds in the order they were made, handed over with the progress
  // (every 100 files) and at the end rather than one signal each.
  void entriesFound(int driveIndex, const QList<lumi::library::CatalogEntry>& entries);
  void progressed(int driveIndex, qint64 done);
  void ended(int driveIndex, lumi::library::ScanEnd end, qint64 done);

 protected:
  void run() override;

 private:
  bool add(const QByteArray& folder, const QByteArray& name, quint32 type, const QString& title);

  ScanRequest request_;
  std::shared_ptr<std::atomic<int>> scanning_;
  QString claim_;
  int fileCount_ = 0;
  int entriesFd_ = -1;
  int progressFd_ = -1;
  QList<CatalogEntry> pending_;
  void handOver();
  qint64 total_ = 0;
  qint64 done_ = 0;
  const double date_ = 0.0;
};

}  // namespace lumi::library

Q_DECLARE_METATYPE(lumi::library::CatalogEntry)
Q_DECLARE_METATYPE(QList<lumi::library::CatalogEntry>)
Q_DECLARE_METATYPE(lumi::library::ScanEnd)
