#pragma once
// "Version.vif": the installed program files with their versions, one line
// "name | a,b,c,d |" per file. Reading splits the text into blank-separated
// words: the words before a lone "|" make the name (joined by single blanks,
// so "Lumicaster Manager.exe" survives), the words before the next "|" the
// version (joined without blanks).
#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace lumi::version {

struct VersionEntry {
  QString name;
  QString version;
  bool operator==(const VersionEntry&) const = default;
};

QList<VersionEntry> ParseVersionList(const QByteArray& text);
// Entries whose name cannot be written back (a line break, a "|", nothing
// but blanks) are left out, so the file always reads back as written.
QByteArray FormatVersionList(const QList<VersionEntry>& entries);

// Nothing when the file is missing or unreadable.
std::optional<QList<VersionEntry>> ReadVersionFile(const QString& path);
// Through a temporary file and a rename.
bool WriteVersionFile(const QString& path, const QList<VersionEntry>& entries);

}  // namespace lumi::version
