#pragma once
// What the player learns from a movie file's name and first bytes.
#include <QByteArray>
#include <QString>

namespace lumi::player {

// The container by the first bytes: "VOB" (MPEG-2 program stream), "AVI",
// "MPG" (MPEG-1 program stream), "WMV" (ASF), else empty.
QString FileTypeOfHead(const QByteArray& head);
// The same for a file; empty when it cannot be read.
QString FileTypeOf(const QString& path, bool* opened = nullptr);

// The caption file beside a movie: the movie's name with its extension
// replaced by "smi" ("movie.avi" -> "movie.smi"; a name without an extension
// gets ".smi"). Only the file name's own dot counts, not one in a folder name.
QString CaptionPathFor(const QString& moviePath);
// The existing caption file for a movie, its extension in any case ("SMI",
// "Smi"), else empty.
QString FindCaptionFile(const QString& moviePath);

// The name a movie's resume point is kept under: the file name with its
// extension, without folders.
QString BookmarkName(const QString& moviePath);

// True when a path names an existing file. A path longer than the system
// takes counts as missing, never as a shortened other path.
bool MovieFileExists(const QString& path);

}  // namespace lumi::player
