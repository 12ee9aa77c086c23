#pragma once
// What the browsers do with one folder: list its media files, sort lists,
// check that a chosen file can be played, and the movie series with its
// playlist "MoviePlaylist.txt".
#include <QList>
#include <QString>
#include <QStringList>

#include "shell/library/CDriveCatalog.h"

namespace lumi::library {

// The marks a file name must contain (upper-cased) to be listed: ".WMV",
// ".MPG", ".MPEG", ".AVI", ".ASF" for the movie types switched on. A name
// that merely contains a mark is listed (x.avi.txt is).
QStringList MovieMarks(EnabledTypes enabled);

// The regular files of `folder` (links to regular files count) whose
// upper-cased name contains one of the marks, by full path, in the order the
// file system gives. Names that are not UTF-8 or hold a line break are left
// out. Subfolders are not listed.
QStringList ListMediaFiles(const QString& folder, const QStringList& marks);

// Sort types and directions as stored in "SortType" and "SortState".
enum SortType { SortNone = 0, SortName = 1, SortDate = 2, SortSize = 3 };
enum SortDirection { Ascending = 0, Descending = 1 };

// Stable sorts. Files: by full path upper-cased, modification time or size.
void SortFiles(QStringList& files, int sortType, int direction);
// The order of a catalogue's entries by folder name upper-cased, the
// modification time of the entry's folder, or size (0 for folders: the order
// stays); for CDriveCatalog::reorder.
QList<int> FolderOrder(const CDriveCatalog& catalog, int sortType, int direction);

enum class FileCheck { Readable, Missing, Unreadable };
// Whether a chosen file can be opened for reading. Only regular files pass:
// a FIFO or a device named like a movie never blocks or reaches the player.
FileCheck CheckReadable(const QString& path);

// The parts of a series: from the chosen file to the end of the list, every
// path as long in bytes as the chosen one that differs from it in at most one
// byte, in ascending byte order (equal ones in list order). The chosen file
// is always in it.
QStringList BuildSeries(const QStringList& files, int chosen);

// Writes one path per line, each ended by CR LF, UTF-8, through a temporary
// file renamed into place. False when it cannot be written.
bool WritePlaylist(const QString& file, const QStringList& paths);

}  // namespace lumi::library
