#pragma once
// Initialisation files ("Skin.ini", skin packages) with the semantics of the
// Windows profile functions the suite's files were made for:
//
// - [section] lines and key=value lines; section and key names are compared
//   without regard to case; names and values are trimmed; a value enclosed in
//   a matching pair of quotes loses them; the first of repeated sections or
//   keys is the one read and written; lines starting with ';' are comments.
// - Reading a key of a missing file, section or key gives the default.
// - Writing sets one key at once: the line of that key is replaced (keeping
//   the key's spelling), a missing key goes after the last key of its section,
//   a missing section is appended. Every other line of the file, comments,
//   unknown keys and lines that could not be understood included, is kept.
//
// Beyond the Windows functions: a write replaces the file atomically (temporary file,
// fsync, rename), so a crash leaves the old or the new file and never a half
// one; writers of the same file take turns through a lock in the runtime
// folder, so the shell and the manager writing different keys at once do not
// lose either key; values that would change the file's structure (line
// breaks) are refused instead of written.
//
// Text: UTF-8 (with or without a byte-order mark), UTF-16 with a byte-order
// mark, and files in the Korean ANSI code page (CP949) that came from Windows
// are read; a file is written back in its own Unicode encoding, and 8-bit
// files as UTF-8.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace lumi::skin {

// One file's text, line by line, as the profile functions see it.
class ProfileDocument {
 public:
  enum class Encoding { Utf8, Utf8Bom, Utf16LE, Utf16BE };

  // Lines that are neither blank, comment, section nor key are listed in
  // `problems` ("line 3: ...") and otherwise ignored (but kept for writing).
  static ProfileDocument parse(const QByteArray& bytes, QStringList* problems = nullptr);
  QByteArray serialize() const;

  // The value of a key; nullopt when the section or the key is missing.
  std::optional<QString> value(QStringView section, QStringView key) const;
  // Sets one key, creating the key and the section as needed. False (and
  // `why`) for a name or value the file format cannot hold.
  bool setValue(const QString& section, const QString& key, const QString& value, QString* why = nullptr);

  Encoding encoding() const { return encoding_; }
  bool isEmpty() const { return lines_.isEmpty(); }

 private:
  struct Line {
    enum Kind { Other, Section, Key };
    QString text;   // as read, without the line break
    Kind kind = Other;
    QString name;   // section or key name, trimmed
    QString value;  // key value, trimmed, quotes removed
  };
  int findSection(QStringView section) const;  // index of the header, -1 when missing
  int findKey(int sectionLine, QStringView key) const;

  QList<Line> lines_;
  Encoding encoding_ = Encoding::Utf8;
  bool crlf_ = false;
};

// What reading a file found.
struct ProfileSnapshot {
  enum class Status {
    Read,        // the file was read (perhaps with problems)
    Missing,     // no such file: every key takes its default
    Unreadable,  // it exists but could not be read, or is implausibly large
  };
  Status status = Status::Missing;
  ProfileDocument document;
  QStringList problems;  // lines that could not be understood, or why it is unreadable
};

class ProfileFile {
 public:
  // Larger files are refused: "Skin.ini" is a few hundred bytes, and a huge
  // file here is damage, not a skin.
  static constexpr qint64 kMaxFileSize = 1 << 20;

  static ProfileSnapshot read(const QString& file);

  // GetPrivateProfileString: the value, or `fallback` when the file, section
  // or key is missing.
  static QString readString(const QString& file, const QString& section, const QString& key,
                            const QString& fallback = {});
  // GetPrivateProfileInt: the default when the key is missing or empty,
  // otherwise the leading decimal number of the value (0 when there is none).
  static int readInt(const QString& file, const QString& section, const QString& key, int fallback);

  // WritePrivateProfileString for one key; true once the new file is in
  // place. False, with a warning and the file untouched, when the name or
  // value cannot be stored, the file exists but cannot be read, or the new
  // file cannot be written.
  static bool writeString(const QString& file, const QString& section, const QString& key, const QString& value);
};

// How a profile number reads.
struct ProfileNumber {
  enum class Kind {
    Whole,     // the whole value is a number
    Prefix,    // a number followed by other text ("180px"): the number counts
    None,      // no number at all ("abc", "")
    Overflow,  // digits beyond the 32-bit range
  };
  Kind kind = Kind::None;
  int value = 0;
};
// Decimal as the files hold them ("%d"); a "0x" prefix is read as
// hexadecimal, since hand-edited colours are often written that way.
ProfileNumber parseProfileNumber(QStringView text);

}  // namespace lumi::skin
