#pragma once
// Whole-file rewrites of the library's files (catalogues, "Recent.dat",
// "MoviePlaylist.txt"): the new bytes go to a temporary file beside the old
// one, every byte of every write is checked (a full disk or a file size limit
// cuts writes short, which QSaveFile lets pass as success), the data reaches
// the disk, and only then does a rename put it in place. On any failure the
// old file stays as it was and no temporary file is left.
#include <QByteArray>
#include <QString>

namespace lumi::library {

bool ReplaceFile(const QString& file, const QByteArray& bytes);

}  // namespace lumi::library
