#include "common/version/VersionNote.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>

#include <cstring>

namespace lumi::version {

namespace {

constexpr quint32 kSectionNote = 7;  // SHT_NOTE
constexpr quint32 kVersionType = 1;
constexpr char kOwner[] = "Lumicaster";  // with its zero: 11 bytes
constexpr qint64 kMaxNoteSection = 1 << 20;

quint32 le32(const uchar* p) { return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24; }
quint64 le64(const uchar* p) { return quint64(le32(p)) | quint64(le32(p + 4)) << 32; }
quint16 le16(const uchar* p) { return quint16(p[0] | p[1] << 8); }

bool readAt(QFile& file, qint64 offset, qint64 size, QByteArray& out) {
  if (offset < 0 || size < 0 || offset > file.size() || size > file.size() - offset) return false;
  if (!file.seek(offset)) return false;
  out = file.read(size);
  return out.size() == size;
}

// The version note inside one note section's bytes, with its offset there.
std::optional<VersionNote> findInNotes(const QByteArray& notes, qint64 sectionOffset) {
  const auto* data = reinterpret_cast<const uchar*>(notes.constData());
  const qint64 size = notes.size();
  qint64 pos = 0;
  auto align4 = [](qint64 v) { return (v + 3) & ~qint64(3); };
  while (size - pos >= 12) {
    const qint64 nameSize = le32(data + pos);
    const qint64 descSize = le32(data + pos + 4);
    const quint32 type = le32(data + pos + 8);
    const qint64 nameAt = pos + 12;
    if (nameSize > size - nameAt) return std::nullopt;
    const qint64 descAt = nameAt + align4(nameSize);
    if (descAt > size || descSize > size - descAt) return std::nullopt;
    if (type == kVersionType && nameSize == qint64(sizeof kOwner) && descSize == 8 &&
        std::memcmp(data + nameAt, kOwner, sizeof kOwner) == 0) {
      VersionNote note;
      note.version.ms = le32(data + descAt);
      note.version.ls = le32(data + descAt + 4);
      note.descriptorOffset = sectionOffset + descAt;
      return note;
    }
    pos = descAt + align4(descSize);
  }
  return std::nullopt;
}

}  // namespace

QString FileVersion::text() const {
  return QStringLiteral("%1,%2,%3,%4").arg(ms >> 16).arg(ms & 0xffff).arg(ls >> 16).arg(ls & 0xffff);
}

std::optional<FileVersion> FileVersion::parse(const QString& text) {
  QString normal = text.trimmed();
  normal.replace(QLatin1Char('.'), QLatin1Char(','));
  const QStringList parts = normal.split(QLatin1Char(','));
  if (parts.size() != 4) return std::nullopt;
  quint32 v[4];
  for (int i = 0; i < 4; ++i) {
    bool ok = false;
    v[i] = parts[i].toUInt(&ok);
    if (!ok || v[i] > 0xffff) return std::nullopt;
  }
  return FileVersion{v[0] << 16 | v[1], v[2] << 16 | v[3]};
}

std::optional<VersionNote> ReadVersionNote(const QString& path) {
  QFile file(path);
  if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) return std::nullopt;
  QByteArray ident;
  if (!readAt(file, 0, 64, ident) && !readAt(file, 0, 52, ident)) return std::nullopt;
  const auto* h = reinterpret_cast<const uchar*>(ident.constData());
  if (std::memcmp(h, "\x7f" "ELF", 4) != 0 || h[5] != 1 /* little-endian */) return std::nullopt;
  const bool is64 = h[4] == 2;
  if (!is64 && h[4] != 1) return std::nullopt;
  if (is64 && ident.size() < 64) return std::nullopt;
  const quint64 sectionTable = is64 ? le64(h + 0x28) : le32(h + 0x20);
  const quint16 entrySize = le16(h + (is64 ? 0x3a : 0x2e));
  const quint16 count = le16(h + (is64 ? 0x3c : 0x30));
  const quint16 needed = is64 ? 64 : 40;
  if (count == 0 || entrySize < needed || sectionTable > quint64(file.size())) return std::nullopt;
  QByteArray table;
  if (!readAt(file, qint64(sectionTable), qint64(entrySize) * count, table)) return std::nullopt;
  for (int i = 0; i < count; ++i) {
    const auto* s = reinterpret_cast<const uchar*>(table.constData()) + qint64(i) * entrySize;
    if (le32(s + 4) != kSectionNote) continue;
    const quint64 offset = is64 ? le64(s + 0x18) : le32(s + 0x10);
    const quint64 size = is64 ? le64(s + 0x20) : le32(s + 0x14);
    if (size > quint64(kMaxNoteSection) || offset > quint64(file.size())) continue;
    QByteArray notes;
    if (!readAt(file, qint64(offset), qint64(size), notes)) continue;
    if (auto note = findInNotes(notes, qint64(offset))) return note;
  }
  return std::nullopt;
}

QString FileVersionText(const QString& path) {
  const auto note = ReadVersionNote(path);
  return note ? note->version.text() : QStringLiteral("0,0,0,0");
}

bool WriteRestampedCopy(const QString& source, const QString& destination, FileVersion version, QString* error) {
  auto fail = [error](const QString& text) {
    if (error) *error = text;
    return false;
  };
  const auto note = ReadVersionNote(source);
  if (!note) return fail(QStringLiteral("no version note"));
  QFile in(source);
  if (!in.open(QIODevice::ReadOnly)) return fail(in.errorString());
  QByteArray bytes = in.readAll();
  if (note->descriptorOffset + 8 > bytes.size()) return fail(QStringLiteral("damaged file"));
  for (int i = 0; i < 4; ++i) {
    bytes[note->descriptorOffset + i] = char(version.ms >> (8 * i));
    bytes[note->descriptorOffset + 4 + i] = char(version.ls >> (8 * i));
  }
  QSaveFile out(destination);
  if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size()) return fail(out.errorString());
  out.setPermissions(in.permissions());
  if (!out.commit()) return fail(out.errorString());
  return true;
}

}  // namespace lumi::version
