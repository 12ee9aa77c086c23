#pragma once
// Extracts a downloaded zip archive into a DownloadFolder, treating the
// archive as hostile:
//  - entries whose names leave the folder ("../x", "/x", "C:\x",
//    "a\..\..\x"), links, devices and other special entries, and encrypted
//    entries are skipped;
//  - an archive with too many entries or announcing more bytes than the cap
//    is refused whole, before anything is written;
//  - each entry's bytes are counted as they come out: more than the entry
//    announced, more than the cap, or a CRC error discards that entry's
//    output, so a lying header cannot inflate the folder;
//  - every file is written under a temporary name and renamed when complete
//    (DownloadFolder), replacing an older file of the same name; of two
//    entries with the same name the last wins.
#include "common/transfer/DownloadFolder.h"

#include <QString>
#include <QStringList>

namespace lumi::transfer {

struct UnzipLimits {
  qint64 maxEntries = 10000;
  qint64 maxTotalBytes = qint64(1) << 30;
};

struct UnzipResult {
  bool opened = false;      // false: the archive could not be read or was refused
  QString error;            // why it was refused
  QStringList extracted;    // entry names written, in archive order
  QStringList skipped;      // entry names left out, in archive order
};

UnzipResult SafeUnzip(const QString& archivePath, DownloadFolder& destination, const UnzipLimits& limits = {});

}  // namespace lumi::transfer
