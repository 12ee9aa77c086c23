#pragma once
// The suite's user list, "User/UserInfo.dat" in the program folder: 72-byte
// records (display name, id, password, PIN, PIN-at-login flag) with the text
// fields scrambled. The manager only reads it, to show the current user.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QList>

namespace lumi::manager {

struct UserRecord {
  QString name;
  QString id;
  QString password;
  QString pin;          // four digits or empty
  qint32 pinAtLogin = 0; // 1: the PIN is asked at login
};

class UserList {
 public:
  static constexpr int kRecordSize = 72;
  static constexpr char kScrambleKey = char(0xA6);

  // Reads the records of a file; a missing file gives an empty list, a
  // truncated last record is dropped.
  static UserList Load(const QString& file);
  static UserList Parse(const QByteArray& data);
  // The file under a program folder ("Path" of the Client key).
  static QString FileIn(const QString& programFolder);

  const QList<UserRecord>& users() const { return users_; }
  QStringList displayNames() const;
  // The entry `SelUser` selects: -1 for a negative index or one past the list.
  int selection(qint32 selUser) const;

  // One record as the file holds it (used to write lists in tests and tools).
  static QByteArray Encode(const UserRecord& user);

 private:
  QList<UserRecord> users_;
};

}  // namespace lumi::manager
