#include "common/version/VersionList.h"

#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringList>

namespace lumi::version {

QList<VersionEntry> ParseVersionList(const QByteArray& text) {
  static const QRegularExpression blanks(QStringLiteral("\\s+"));
  const QStringList words = QString::fromUtf8(text).split(blanks, Qt::SkipEmptyParts);
  QList<VersionEntry> entries;
  QStringList name, version;
  bool inVersion = false;
  for (const QString& word : words) {
    if (word != QLatin1String("|")) {
      (inVersion ? version : name).append(word);
      continue;
    }
    if (!inVersion) {
      inVersion = true;
      continue;
    }
    if (!name.isEmpty()) entries.append({name.join(QLatin1Char(' ')), version.join(QString())});
    name.clear();
    version.clear();
    inVersion = false;
  }
  return entries;
}

QByteArray FormatVersionList(const QList<VersionEntry>& entries) {
  QByteArray out;
  for (const VersionEntry& entry : entries) {
    const QString name = entry.name.simplified();
    if (name.isEmpty() || entry.name.contains(QLatin1Char('|')) || entry.name.contains(QLatin1Char('\n')) ||
        entry.name.contains(QLatin1Char('\r')))
      continue;
    out += entry.name.toUtf8() + " | " + entry.version.toUtf8() + " |\n";
  }
  return out;
}

std::optional<QList<VersionEntry>> ReadVersionFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  // A version list is a few dozen lines; a huge file is not one.
  return ParseVersionList(file.read(4 * 1024 * 1024));
}

bool WriteVersionFile(const QString& path, const QList<VersionEntry>& entries) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  file.write(FormatVersionList(entries));
  return file.commit();
}

}  // namespace lumi::version
