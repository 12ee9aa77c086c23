#include "shell/library/DriveCatalogs.h"

#include <QDeadlineTimer>

namespace lumi::library {

DriveCatalogs::DriveCatalogs(MediaKind kind, QList<Drive> drives, QString dataDir, QString rootFolderText,
                             QObject* parent)
    : QObject(parent), kind_(kind), dataDir_(std::move(dataDir)), rootFolderText_(std::move(rootFolderText)) {
  qRegisterMetaType<CatalogEntry>();
  qRegisterMetaType<QList<CatalogEntry>>();
  qRegisterMetaType<ScanEnd>();
  for (Drive& d : drives) {
    DriveState state;
    state.drive = std::move(d);
    drives_.append(std::move(state));
  }
}

DriveCatalogs::~DriveCatalogs() {
  for (DriveState& d : drives_) d.scanning->store(0);
  for (DriveState& d : drives_) {
    if (d.worker) d.worker->wait(QDeadlineTimer(2000));
  }
}

bool DriveCatalogs::scanning(int index) const {
  return index >= 0 && index < drives_.size() && drives_[index].scanning->load() != 0;
}

void DriveCatalogs::loadAll() {
  for (int i = 0; i < drives_.size(); ++i) {
    LoadCatalog(dataDir_, kind_, i, drives_[i].drive.bit(), drives_[i].catalog);
  }
  emit catalogsReloaded();
}

DriveCatalogs::SearchResult DriveCatalogs::toggleSearch(int index) {
  if (scanning(index)) {
    stopSearch(index);
    return SearchResult::Stopped;
  }
  return startSearch(index) ? SearchResult::Started : SearchResult::Failed;
}

bool DriveCatalogs::startSearch(int index) {
  if (index < 0 || index >= drives_.size()) return false;
  DriveState& d = drives_[index];
  if (d.drive.root.isEmpty()) return false;  // an optical drive without a disc
  // A worker that was just told to stop ends at its next item; one that
  // hangs keeps the catalogue, and this start is refused.
  if (d.worker) d.worker->wait(QDeadlineTimer(2000));
  if (CSearchThread::busy(kind_, index, dataDir_)) return false;

  ScanRequest request;
  request.kind = kind_;
  request.root = d.drive.root;
  request.driveIndex = index;
  request.driveBit = d.drive.bit();
  request.dataDir = dataDir_;
  request.enabled = enabled_;
  request.rootFolderText = rootFolderText_;
  request.usedBytes = usedBytes_;
  auto* worker = new CSearchThread(request, d.scanning);
  connect(worker, &CSearchThread::measured, this, [this](int drive, qint64 total) {
    drives_[drive].catalog.total = total;
    drives_[drive].catalog.done = 0;
  });
  connect(worker, &CSearchThread::entriesFound, this, &DriveCatalogs::onEntries);
  connect(worker, &CSearchThread::progressed, this, [this](int drive, qint64 done) {
    if (!scanning(drive)) return;
    drives_[drive].catalog.done = done;
    emit progressChanged(drive);
  });
  connect(worker, &CSearchThread::ended, this, &DriveCatalogs::onEnded);
  connect(worker, &QThread::finished, worker, &QObject::deleteLater);

  d.catalog.clear();
  d.rewritePending = false;
  d.scanning->store(1);
  d.worker = worker;
  worker->start();
  return true;
}

void DriveCatalogs::stopSearch(int index) {
  if (index < 0 || index >= drives_.size()) return;
  drives_[index].scanning->store(0);
}

void DriveCatalogs::onEntries(int drive, const QList<CatalogEntry>& entries) {
  if (drive < 0 || drive >= drives_.size()) return;
  DriveState& d = drives_[drive];
  if (sender() != d.worker) return;  // finds from an earlier scan of this drive
  for (const CatalogEntry& entry : entries) d.catalog.append(entry, d.drive.bit());
  emit entryAdded(drive);
}

void DriveCatalogs::onEnded(int drive, ScanEnd end, qint64 done) {
  if (drive < 0 || drive >= drives_.size()) return;
  DriveState& d = drives_[drive];
  if (sender() != d.worker) return;
  d.scanning->store(0);
  if (end == ScanEnd::Completed) d.catalog.done = d.catalog.total;
  else if (end == ScanEnd::Stopped) d.catalog.done = done;
  if (d.rewritePending) {
    RewriteEntries(dataDir_, kind_, drive, d.catalog);
    d.rewritePending = false;
  }
  if (end == ScanEnd::Completed) emit scanCompleted(drive);
  emit scanEnded(drive, end);
}

bool DriveCatalogs::removeEntry(int drive, int entry) {
  if (drive < 0 || drive >= drives_.size()) return false;
  DriveState& d = drives_[drive];
  if (!d.catalog.removeAt(entry)) return false;
  if (d.worker && d.worker->isRunning()) {
    d.rewritePending = true;
    return true;
  }
  return RewriteEntries(dataDir_, kind_, drive, d.catalog);
}

void DriveCatalogs::clearDrive(int index) {
  if (index < 0 || index >= drives_.size()) return;
  DeleteCatalogFiles(dataDir_, kind_, index);
  for (DriveState& d : drives_) d.catalog.clear();
  loadAll();
}

bool DriveCatalogs::waitForScans(int timeoutMs) {
  QDeadlineTimer deadline(timeoutMs);
  for (DriveState& d : drives_) {
    if (d.worker && !d.worker->wait(deadline)) return false;
  }
  return true;
}

}  // namespace lumi::library
