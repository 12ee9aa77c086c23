#pragma once
// A browser's drives with their catalogues and scans: the list of drives, one
// CDriveCatalog per drive, the scanning flags and workers. Window-free; the
// browser window shows what it holds and reacts to its signals, which stand
// for the worker's three notices (entry, progress, done).
//
// The user-interface thread is the only one that changes the catalogues:
// workers' finds arrive as queued signals and are appended here.
#include <QList>
#include <QObject>
#include <QPointer>

#include <atomic>
#include <memory>

#include "shell/library/CDriveCatalog.h"
#include "shell/library/CSearchThread.h"
#include "shell/library/DriveList.h"

namespace lumi::library {

class DriveCatalogs : public QObject {
  Q_OBJECT
 public:
  DriveCatalogs(MediaKind kind, QList<Drive> drives, QString dataDir, QString rootFolderText,
                QObject* parent = nullptr);
  // Stops every scan and waits up to 2 s for each worker; a worker that does
  // not end by then finishes on its own and writes nothing more after it
  // sees its flag.
  ~DriveCatalogs() override;

  MediaKind kind() const { return kind_; }
  int driveCount() const { return int(drives_.size()); }
  const Drive& drive(int index) const { return drives_[index].drive; }
  CDriveCatalog& catalog(int index) { return drives_[index].catalog; }
  const CDriveCatalog& catalog(int index) const { return drives_[index].catalog; }
  bool scanning(int index) const;

  void setEnabledTypes(EnabledTypes enabled) { enabled_ = enabled; }
  void setUsedBytesPort(UsedBytesPort port) { usedBytes_ = std::move(port); }

  // Reads every drive's files (a drive whose files cannot be read stays empty
  // and the others still load).
  void loadAll();

  // The search command: stops the drive's scan when one runs, else starts one.
  enum class SearchResult { Started, Stopped, Failed };
  SearchResult toggleSearch(int index);
  bool startSearch(int index);
  void stopSearch(int index);

  // Takes an entry out and rewrites the drive's entries file (while the drive
  // is being scanned, the file is rewritten when the scan ends).
  bool removeEntry(int drive, int entry);
  // Deletes the drive's files and reloads every drive's catalogue.
  void clearDrive(int index);
  // Waits until no worker of this set runs (tests, shutdown).
  bool waitForScans(int timeoutMs);

 signals:
  // Entries were added to the drive's catalogue.
  void entryAdded(int drive);
  void progressChanged(int drive);
  void scanCompleted(int drive);
  // Every end of a scan, completed or not; a failed start of the files too.
  void scanEnded(int drive, lumi::library::ScanEnd end);
  void catalogsReloaded();

 private:
  struct DriveState {
    Drive drive;
    CDriveCatalog catalog;
    std::shared_ptr<std::atomic<int>> scanning = std::make_shared<std::atomic<int>>(0);
    QPointer<CSearchThread> worker;
    bool rewritePending = false;
  };
  void onEntries(int drive, const QList<CatalogEntry>& entries);
  void onEnded(int drive, ScanEnd end, qint64 done);

  MediaKind kind_;
  QList<DriveState> drives_;
  QString dataDir_;
  QString rootFolderText_;
  EnabledTypes enabled_ = EnabledTypes::all();
  UsedBytesPort usedBytes_;
};

}  // namespace lumi::library
