#pragma once
// The lists the player plays in order: playlist files written by the shell's
// movie browser (or anyone), and the tracks of a Video CD.
#include <QString>
#include <QStringList>

namespace lumi::player {

enum class PlaylistRead { Ok, CannotOpen, Empty };

// One movie path per line, in the system code page. Leading spaces and line
// feeds go, trailing ones stay apart from the line end (a "\r" of a file
// written on Windows included); lines left empty are skipped. Lines of any
// length are read whole.
PlaylistRead LoadPlaylistFile(const QString& path, QStringList& entries);
QStringList ParsePlaylist(const QByteArray& bytes);

// Every file directly in "<root>/MPEGAV" whose name ends in ".DAT" in any
// case, sorted by name as the disc's directory is; folders are skipped.
QStringList ListVcdTracks(const QString& root);

// The list and the entry being played.
class Playlist {
 public:
  void assign(QStringList entries) {
    entries_ = std::move(entries);
    index_ = 0;
  }
  void clear() { assign({}); }
  const QStringList& entries() const { return entries_; }
  int size() const { return int(entries_.size()); }
  int index() const { return index_; }
  bool isEmpty() const { return entries_.isEmpty(); }
  QString current() const { return index_ < size() ? entries_[index_] : QString(); }
  bool hasPrevious() const { return index_ > 0; }
  bool hasNext() const { return index_ < size() - 1; }
  bool previous() { return hasPrevious() ? (--index_, true) : false; }
  bool next() { return hasNext() ? (++index_, true) : false; }

 private:
  QStringList entries_;
  int index_ = 0;
};

}  // namespace lumi::player
