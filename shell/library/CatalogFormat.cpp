#include "shell/library/CatalogFormat.h"

#include <QtEndian>

#include <cstring>

#include "common/protocol/ServerMessage.h"
#include "platform/text/AnsiText.h"

namespace lumi::library {

namespace {

struct Layout {
  int size, title, path, folder, type;
};

Layout layoutOf(MediaKind kind) {
  if (kind == MediaKind::Photo) return {kPhotoRecordSize, 0, 256, 516, 776};
  return {kMovieRecordSize, 8, 264, 524, 784};
}

void putText(QByteArray& record, int offset, int field, const QString& text) {
  const QByteArray bytes = Utf8Prefix(text, field - 1);
  std::memcpy(record.data() + offset, bytes.constData(), size_t(bytes.size()));
}

QString getText(const char* data, int field) {
  const void* end = std::memchr(data, 0, size_t(field));
  const qsizetype length = end ? static_cast<const char*>(end) - data : field;
  return text::DecodeAnsi(QByteArrayView(data, length));
}

const char* letterName(MediaKind kind) {
  switch (kind) {
    case MediaKind::Movie: return "Movie";
    case MediaKind::Music: return "Music";
    case MediaKind::Photo: return "Image";
  }
  return "Movie";
}

QString catalogName(const QString& dataDir, MediaKind kind, int driveIndex, const char* suffix) {
  const QString name = QString::fromLatin1(letterName(kind));
  return CatalogFolder(dataDir, kind) + QChar::fromLatin1(char('C' + driveIndex)) + '_' + name + suffix + ".dat";
}

}  // namespace

int RecordSize(MediaKind kind) { return layoutOf(kind).size; }

QByteArray EncodeRecord(MediaKind kind, const CatalogEntry& entry) {
  const Layout l = layoutOf(kind);
  QByteArray record(l.size, '\0');
  if (kind != MediaKind::Photo) qToLittleEndian(entry.date, record.data());
  putText(record, l.title, kTitleField, entry.title);
  putText(record, l.path, kPathField, entry.path);
  putText(record, l.folder, kFolderField, entry.folder);
  qToLittleEndian<quint32>(entry.type, record.data() + l.type);
  return record;
}

CatalogEntry DecodeRecord(MediaKind kind, const char* data) {
  const Layout l = layoutOf(kind);
  CatalogEntry entry;
  if (kind != MediaKind::Photo) entry.date = qFromLittleEndian<double>(data);
  entry.title = getText(data + l.title, kTitleField);
  entry.path = getText(data + l.path, kPathField);
  entry.folder = getText(data + l.folder, kFolderField);
  entry.type = qFromLittleEndian<quint32>(data + l.type);
  return entry;
}

QByteArray EncodeProgress(qint64 total, qint64 done) {
  QByteArray bytes(kProgressFileSize, '\0');
  qToLittleEndian<qint64>(total, bytes.data());
  qToLittleEndian<qint64>(done, bytes.data() + 8);
  return bytes;
}

bool DecodeProgress(const QByteArray& bytes, qint64& total, qint64& done) {
  if (bytes.size() < kProgressFileSize) return false;
  total = qFromLittleEndian<qint64>(bytes.constData());
  done = qFromLittleEndian<qint64>(bytes.constData() + 8);
  return true;
}

QString CatalogFolder(const QString& dataDir, MediaKind kind) {
  return dataDir + QString::fromLatin1(letterName(kind)) + '/';
}

QString EntriesFile(const QString& dataDir, MediaKind kind, int driveIndex) {
  return catalogName(dataDir, kind, driveIndex, "");
}

QString ProgressFile(const QString& dataDir, MediaKind kind, int driveIndex) {
  return catalogName(dataDir, kind, driveIndex, "2");
}

quint32 TypeCodeOf(MediaKind kind, const QString& ext) {
  if (ext.size() > 4) return 0;
  return TypeCodeOf(kind, QByteArrayView(ext.toLatin1()));
}

quint32 TypeCodeOf(MediaKind kind, QByteArrayView ext) {
  if (ext.size() < 3 || ext.size() > 4) return 0;
  char buffer[4];
  for (qsizetype i = 0; i < ext.size(); ++i) {
    const char c = ext[i];
    buffer[i] = c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
  }
  const QByteArrayView e(buffer, ext.size());
  switch (kind) {
    case MediaKind::Movie:
      if (e == "AVI") return 1;
      if (e == "MPG" || e == "MPEG") return 2;
      if (e == "ASF") return 3;
      if (e == "WMV") return 4;
      return 0;
    case MediaKind::Music:
      if (e == "MP3") return 1;
      if (e == "WAV") return 2;
      if (e == "WMA") return 3;
      return 0;
    case MediaKind::Photo:
      if (e == "JPG") return 1;  // .JPEG is shown in the photo folders but never catalogued
      if (e == "BMP") return 2;
      if (e == "GIF") return 3;
      return 0;
  }
  return 0;
}

QByteArray AsciiUpper(QByteArray text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  }
  return text;
}

QString AsciiUpper(const QString& text) {
  QString out = text;
  for (QChar& c : out) {
    if (c >= u'a' && c <= u'z') c = QChar(c.unicode() - 'a' + 'A');
  }
  return out;
}

QByteArray Utf8Prefix(const QString& text, qsizetype maxBytes) { return protocol::utf8Prefix(text, maxBytes); }

}  // namespace lumi::library
