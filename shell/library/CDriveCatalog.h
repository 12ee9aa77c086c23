#pragma once
// The catalogue of one drive for one media kind: at most one entry per folder
// (the first file of the kind found there), as parallel arrays. Only the
// user-interface thread changes it; scan workers hand their finds over.
#include <QList>
#include <QString>
#include <QStringList>

#include "shell/library/CatalogFormat.h"

namespace lumi::library {

class CDriveCatalog {
 public:
  int count = 0;
  qint64 done = 0;   // bytes visited by the last scan (progress file)
  qint64 total = 0;  // bytes in use on the drive when that scan started
  QList<double> dates;
  QList<quint32> types;
  QList<int> driveBits;
  QStringList titles;
  QStringList paths;
  QStringList folders;

  void clear();
  void append(const CatalogEntry& entry, int driveBit);
  CatalogEntry entry(int index) const;
  // Removes element `index` from every array; false when out of range.
  bool removeAt(int index);
  // Puts entry order[i] at place i (order is a permutation of 0..count-1).
  void reorder(const QList<int>& order);

  // Per cent of the visited bytes, never above 100; 0 when total is 0.
  int percent() const;
};

enum class LoadResult { Loaded, Missing, Unreadable };

// Reads drive `driveIndex`'s two files into `catalog` (cleared first): every
// whole record, then total and done. A missing entries file leaves the
// catalogue empty; a catalogue whose files cannot be read leaves it empty
// with total = done = 0 and does not stop the other drives from loading.
LoadResult LoadCatalog(const QString& dataDir, MediaKind kind, int driveIndex, int driveBit, CDriveCatalog& catalog);

// Writes every entry, in array order with its own date and type, as the new
// entries file: a temporary file renamed over the old one, so that a failed
// write keeps the old file. The progress file is not touched.
bool RewriteEntries(const QString& dataDir, MediaKind kind, int driveIndex, const CDriveCatalog& catalog);

// Deletes both files of the drive.
void DeleteCatalogFiles(const QString& dataDir, MediaKind kind, int driveIndex);

}  // namespace lumi::library
