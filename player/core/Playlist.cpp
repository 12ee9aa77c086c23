#include "player/core/Playlist.h"

#include <QDir>
#include <QFile>

#include "platform/text/AnsiText.h"

namespace lumi::player {

QStringList ParsePlaylist(const QByteArray& bytes) {
  QStringList entries;
  for (QByteArray line : bytes.split('\n')) {
    // Text mode on Windows turned "\r\n" into the line end.
    if (line.endsWith('\r')) line.chop(1);
    qsizetype start = 0;
    while (start < line.size() && (line[start] == ' ' || line[start] == '\n')) ++start;
    line = line.mid(start);
    if (line.isEmpty()) continue;
    entries << text::DecodeAnsi(line);
  }
  return entries;
}

PlaylistRead LoadPlaylistFile(const QString& path, QStringList& entries) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return PlaylistRead::CannotOpen;
  entries = ParsePlaylist(file.readAll());
  return entries.isEmpty() ? PlaylistRead::Empty : PlaylistRead::Ok;
}

QStringList ListVcdTracks(const QString& root) {
  QDir folder(QDir(root).filePath(QStringLiteral("MPEGAV")));
  QStringList tracks;
  const auto names = folder.entryList(QDir::Files | QDir::Hidden, QDir::Name | QDir::IgnoreCase);
  for (const QString& name : names)
    if (name.size() >= 4 && name.right(4).compare(QLatin1String(".DAT"), Qt::CaseInsensitive) == 0)
      tracks << folder.filePath(name);
  return tracks;
}

}  // namespace lumi::player
