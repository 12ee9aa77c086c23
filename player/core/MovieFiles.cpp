#include "player/core/MovieFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <climits>

namespace lumi::player {

QString FileTypeOfHead(const QByteArray& head) {
  auto starts = [&](std::initializer_list<unsigned char> bytes) {
    if (head.size() < qsizetype(bytes.size())) return false;
    qsizetype i = 0;
    for (unsigned char b : bytes)
      if (static_cast<unsigned char>(head[i++]) != b) return false;
    return true;
  };
  if (starts({0x00, 0x00, 0x01, 0xBA, 0x44, 0x00})) return QStringLiteral("VOB");
  if (starts({0x52, 0x49, 0x46, 0x46})) return QStringLiteral("AVI");
  if (starts({0x00, 0x00, 0x01, 0xBA, 0x21, 0x00, 0x01})) return QStringLiteral("MPG");
  if (starts({0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF})) return QStringLiteral("WMV");
  return {};
}

QString FileTypeOf(const QString& path, bool* opened) {
  QFile file(path);
  const bool ok = file.open(QIODevice::ReadOnly);
  if (opened) *opened = ok;
  return ok ? FileTypeOfHead(file.read(100)) : QString();
}

QString CaptionPathFor(const QString& moviePath) {
  const qsizetype slash = moviePath.lastIndexOf(u'/');
  const qsizetype dot = moviePath.lastIndexOf(u'.');
  if (dot <= slash) return moviePath + QStringLiteral(".smi");
  return moviePath.left(dot + 1) + QStringLiteral("smi");
}

QString FindCaptionFile(const QString& moviePath) {
  const QString wanted = CaptionPathFor(moviePath);
  if (QFileInfo(wanted).isFile()) return wanted;
  // Captions copied from Windows often carry ".SMI"; that file system
  // ignored the case, so the player does too.
  const QFileInfo info(wanted);
  const QDir folder = info.absoluteDir();
  for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden))
    if (name.compare(info.fileName(), Qt::CaseInsensitive) == 0) return folder.filePath(name);
  return {};
}

QString BookmarkName(const QString& moviePath) { return QFileInfo(moviePath).fileName(); }

bool MovieFileExists(const QString& path) {
  if (path.isEmpty() || QFile::encodeName(path).size() >= PATH_MAX) return false;
  return QFileInfo(path).isFile();
}

}  // namespace lumi::player
