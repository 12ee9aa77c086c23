#pragma once
// What the update server offers: the program files of one release, read
// from a catalogue folder at start and kept in memory, each packed once as
// "<File>.zip" with its single entry.
//
// The folder holds the release's program files (regular files at its top
// level; hidden files and "Version.vif" are not offered). A file's version
// comes from its version note, or from a "Version.vif" in the folder when
// that lists the file. Files of 2 GiB or more cannot be announced (sizes are
// int32) and fail the load.
#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace lumi::server {

struct CatalogueFile {
  QString name;         // "Lumicaster.exe"
  QString version;      // "1,0,0,2"
  QString archiveName;  // "Lumicaster.exe.zip"
  QByteArray archive;
};

enum class UpdateAnswer {
  Version,     // 2033 with the server's version: the updater compares
  NewVersion,  // 2068: a new version, no comparison
};

struct UpdateCatalogue {
  QString serverVersion;
  UpdateAnswer answer = UpdateAnswer::Version;
  QList<CatalogueFile> files;

  // serverVersion empty: the newest of the files' versions.
  static std::optional<UpdateCatalogue> load(const QString& folder, const QString& serverVersion,
                                             UpdateAnswer answer, QString* error);
  // The files a client listing `listed` (name → version) needs: those it
  // does not list and those whose listed version is older.
  QList<const CatalogueFile*> outOfDate(const QList<std::pair<QString, QString>>& listed) const;
};

// One file packed as a zip archive with a single entry: deterministic (fixed
// time stamp), executable bit kept.
std::optional<QByteArray> PackSingleFile(const QString& path, const QString& entryName, QString* error);

}  // namespace lumi::server
