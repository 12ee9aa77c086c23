#include "manager/users/UserList.h"

#include <QDir>
#include <QFile>
#include <QtEndian>

namespace lumi::manager {
namespace {

constexpr int kTextField = 21;
constexpr int kPinField = 5;

// Zero bytes stay zero; the same operation scrambles and unscrambles.
QByteArray scramble(QByteArray bytes) {
  for (char& c : bytes)
    if (c != 0) c ^= UserList::kScrambleKey;
  return bytes;
}

QString readText(const char* field, int size) {
  const QByteArray plain = scramble(QByteArray(field, size));
  const qsizetype end = plain.indexOf('\0');
  return QString::fromUtf8(end < 0 ? plain : plain.left(end));
}

QByteArray writeText(const QString& text, int size) {
  // At most size - 1 bytes, cut on a character boundary, then zeros.
  QByteArray utf8 = text.toUtf8();
  while (utf8.size() > size - 1) {
    utf8.chop(1);
    while (!utf8.isEmpty() && (static_cast<unsigned char>(utf8.back()) & 0xC0) == 0x80) utf8.chop(1);
    if (!utf8.isEmpty() && static_cast<unsigned char>(utf8.back()) >= 0xC0) utf8.chop(1);
  }
  utf8.resize(size, '\0');
  return scramble(utf8);
}

}  // namespace

QString UserList::FileIn(const QString& programFolder) {
  return QDir(programFolder).filePath(QStringLiteral("User/UserInfo.dat"));
}

UserList UserList::Load(const QString& file) {
  QFile f(file);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return Parse(f.readAll());
}

UserList UserList::Parse(const QByteArray& data) {
  UserList list;
  for (qsizetype at = 0; at + kRecordSize <= data.size(); at += kRecordSize) {
    const char* r = data.constData() + at;
    UserRecord user;
    user.name = readText(r, kTextField);
    user.id = readText(r + 21, kTextField);
    user.password = readText(r + 42, kTextField);
    user.pin = readText(r + 63, kPinField);
    user.pinAtLogin = qFromLittleEndian<qint32>(r + 68);
    list.users_.append(user);
  }
  return list;
}

QByteArray UserList::Encode(const UserRecord& user) {
  QByteArray record = writeText(user.name, kTextField) + writeText(user.id, kTextField) +
                      writeText(user.password, kTextField) + writeText(user.pin, kPinField);
  char flag[4];
  qToLittleEndian<qint32>(user.pinAtLogin, flag);
  record.append(flag, 4);
  return record;
}

QStringList UserList::displayNames() const {
  QStringList names;
  for (const UserRecord& u : users_) names << u.name;
  return names;
}

int UserList::selection(qint32 selUser) const { return selUser >= 0 && selUser < users_.size() ? selUser : -1; }

}  // namespace lumi::manager
