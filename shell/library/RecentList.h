#pragma once
// The list of recent plays, newest first, at most 30 entries, one per path,
// kept in "Recent.dat" in the data directory:
//   int32 count, then per entry 1280 bytes: time 256, path 512, title 256,
//   kind 256 (UTF-8, NUL-terminated, zero-filled; CP949 files are read too).
#include <QDateTime>
#include <QList>
#include <QString>

namespace lumi::library {

struct RecentEntry {
  QString time;   // "%02d:%02d:%02d, %d-%d-%d"
  QString path;   // a file, or a drive root for a DVD
  QString title;  // file name, or the DVD's volume label
  QString kind;   // text of 3306-3309 in the language of the play
};

inline constexpr int kRecentCapacity = 30;
inline constexpr int kRecentRecordSize = 1280;
inline constexpr int kRecentPathField = 512;

class RecentList {
 public:
  // The file, normally the data directory followed by "Recent.dat".
  explicit RecentList(QString file);

  // A missing file is an empty list. A count outside 0..30, or a file shorter
  // than its count says, yields the whole records that are there, at most 30.
  void LoadRecent();
  // Records a play: the entry with the same path (exact bytes) is dropped,
  // the oldest goes when the list is full, the new entry comes first, and the
  // file is rewritten through a temporary file. A path too long for its field
  // is not recorded (a cut path would name another file). False when the
  // entry was not recorded or the file could not be written (the old file
  // then stays as it was).
  bool AddRecent(const QString& title, const QString& kind, const QString& path,
                 const QDateTime& now = QDateTime::currentDateTime());
  bool ClearRecent();

  int count() const { return int(entries_.size()); }
  const RecentEntry& entry(int index) const { return entries_[index]; }
  // The time of day alone for a play of `today`, else the whole stored text.
  QString displayTime(int index, const QDate& today = QDate::currentDate()) const;

  static QString FormatTime(const QDateTime& time);
  static QByteArray Encode(const QList<RecentEntry>& entries);

 private:
  QString file_;
  QList<RecentEntry> entries_;
};

}  // namespace lumi::library
