#pragma once
// The media catalogue files of one drive, byte for byte.
//
// Entries file: fixed-size records, no header, little-endian. Movie and music
// records are 788 bytes (double date @0, title 256 @8, path 260 @264, folder
// 260 @524, int32 type @784); photo records are 780 bytes (title @0, path
// @256, folder @516, type @776). Texts are UTF-8 (files from a Korean Windows
// hold CP949 and are read as such), NUL-terminated inside their field, cut on
// a character boundary, zero-filled after the terminator.
//
// Progress file: 16 bytes, int64 total then int64 done.
#include <QByteArray>
#include <QString>

namespace lumi::library {

enum class MediaKind { Movie = 0, Music = 1, Photo = 2 };

struct CatalogEntry {
  double date = 0.0;  // not in photo records; the scan writes 0.0
  QString title;      // file name without its last extension
  QString path;       // the file's full path
  QString folder;     // last component of the file's folder, or the root folder text
  quint32 type = 0;   // type code of the extension
};

inline constexpr int kTitleField = 256;
inline constexpr int kPathField = 260;
inline constexpr int kFolderField = 260;
inline constexpr int kMovieRecordSize = 788;
inline constexpr int kPhotoRecordSize = 780;
inline constexpr int kProgressFileSize = 16;
// A path longer than this does not fit its field; cutting it would name
// another file, so such files are not catalogued.
inline constexpr int kMaxPathBytes = kPathField - 1;

int RecordSize(MediaKind kind);

QByteArray EncodeRecord(MediaKind kind, const CatalogEntry& entry);
// `data` holds RecordSize(kind) bytes.
CatalogEntry DecodeRecord(MediaKind kind, const char* data);

QByteArray EncodeProgress(qint64 total, qint64 done);
bool DecodeProgress(const QByteArray& bytes, qint64& total, qint64& done);

// The files of drive index `driveIndex` below the data directory (which ends
// in "/"): "Movie/C_Movie.dat" and "Movie/C_Movie2.dat" for index 0, the
// letter being 'C' + index.
QString CatalogFolder(const QString& dataDir, MediaKind kind);
QString EntriesFile(const QString& dataDir, MediaKind kind, int driveIndex);
QString ProgressFile(const QString& dataDir, MediaKind kind, int driveIndex);

// The kind's extensions a scan catalogues, each with its type code: AVI 1,
// MPG and MPEG 2, ASF 3, WMV 4; MP3 1, WAV 2, WMA 3; JPG 1, BMP 2, GIF 3.
// `ext` is compared without case. 0 when the extension is not the kind's.
quint32 TypeCodeOf(MediaKind kind, const QString& ext);
quint32 TypeCodeOf(MediaKind kind, QByteArrayView ext);

// Which type codes are switched on (bit = type code).
class EnabledTypes {
 public:
  static EnabledTypes all() { EnabledTypes t; t.bits_ = ~0u; return t; }
  void set(quint32 code, bool on) { bits_ = on ? (bits_ | (1u << code)) : (bits_ & ~(1u << code)); }
  bool has(quint32 code) const { return code < 32 && (bits_ >> code) & 1u; }

 private:
  quint32 bits_ = 0;
};

// ASCII-only upper case, the same in every locale.
QByteArray AsciiUpper(QByteArray text);
QString AsciiUpper(const QString& text);

// UTF-8 of text in at most maxBytes, cut on a character boundary.
QByteArray Utf8Prefix(const QString& text, qsizetype maxBytes);

}  // namespace lumi::library
