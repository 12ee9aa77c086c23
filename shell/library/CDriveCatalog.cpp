#include "shell/library/CDriveCatalog.h"

#include "shell/library/AtomicFile.h"

#include <QDir>
#include <QFile>

#include <algorithm>

namespace lumi::library {

void CDriveCatalog::clear() {
  count = 0;
  done = total = 0;
  dates.clear();
  types.clear();
  driveBits.clear();
  titles.clear();
  paths.clear();
  folders.clear();
}

void CDriveCatalog::append(const CatalogEntry& entry, int driveBit) {
  dates.append(entry.date);
  types.append(entry.type);
  driveBits.append(driveBit);
  titles.append(entry.title);
  paths.append(entry.path);
  folders.append(entry.folder);
  count = int(paths.size());
}

CatalogEntry CDriveCatalog::entry(int index) const {
  CatalogEntry e;
  if (index < 0 || index >= count) return e;
  e.date = dates[index];
  e.type = types[index];
  e.title = titles[index];
  e.path = paths[index];
  e.folder = folders[index];
  return e;
}

bool CDriveCatalog::removeAt(int index) {
  if (index < 0 || index >= count) return false;
  dates.removeAt(index);
  types.removeAt(index);
  driveBits.removeAt(index);
  titles.removeAt(index);
  paths.removeAt(index);
  folders.removeAt(index);
  count = int(paths.size());
  return true;
}

namespace {
template <typename T>
QList<T> permuted(const QList<T>& list, const QList<int>& order) {
  QList<T> out;
  out.reserve(order.size());
  for (int i : order) out.append(list[i]);
  return out;
}
}  // namespace

void CDriveCatalog::reorder(const QList<int>& order) {
  if (order.size() != count) return;
  dates = permuted(dates, order);
  types = permuted(types, order);
  driveBits = permuted(driveBits, order);
  titles = permuted(titles, order);
  paths = permuted(paths, order);
  folders = permuted(folders, order);
}

int CDriveCatalog::percent() const {
  if (total <= 0) return 0;
  const qint64 p = done >= total ? 100 : (done * 100) / total;
  return int(std::clamp<qint64>(p, 0, 100));
}

LoadResult LoadCatalog(const QString& dataDir, MediaKind kind, int driveIndex, int driveBit, CDriveCatalog& catalog) {
  catalog.clear();
  QFile entries(EntriesFile(dataDir, kind, driveIndex));
  if (!entries.exists()) return LoadResult::Missing;
  QFile progress(ProgressFile(dataDir, kind, driveIndex));
  if (!entries.open(QIODevice::ReadOnly) || !progress.open(QIODevice::ReadOnly)) return LoadResult::Unreadable;
  const int size = RecordSize(kind);
  QByteArray record(size, '\0');
  while (entries.read(record.data(), size) == size) catalog.append(DecodeRecord(kind, record.constData()), driveBit);
  qint64 total = 0, done = 0;
  if (DecodeProgress(progress.read(kProgressFileSize), total, done)) {
    catalog.total = total;
    catalog.done = done;
  }
  return LoadResult::Loaded;
}

bool RewriteEntries(const QString& dataDir, MediaKind kind, int driveIndex, const CDriveCatalog& catalog) {
  QDir().mkpath(CatalogFolder(dataDir, kind));
  QByteArray bytes;
  bytes.reserve(qsizetype(catalog.count) * RecordSize(kind));
  for (int i = 0; i < catalog.count; ++i) bytes.append(EncodeRecord(kind, catalog.entry(i)));
  return ReplaceFile(EntriesFile(dataDir, kind, driveIndex), bytes);
}

void DeleteCatalogFiles(const QString& dataDir, MediaKind kind, int driveIndex) {
  QFile::remove(EntriesFile(dataDir, kind, driveIndex));
  QFile::remove(ProgressFile(dataDir, kind, driveIndex));
}

}  // namespace lumi::library
