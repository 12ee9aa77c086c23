#pragma once
// The four-part version of a suite program file, read from the ELF note the
// build stamps into it (section ".note.lumicaster.version", owner
// "Lumicaster", type 1, descriptor two little-endian uint32: MS = (a << 16)
// + b, LS = (c << 16) + d). The file is only read, never loaded or run;
// every offset in it is checked against its size, so a damaged or hostile
// file yields no version rather than a crash. Files that are not ELF or
// carry no note have the version "0,0,0,0".
#include <QString>
#include <QtGlobal>

#include <optional>

namespace lumi::version {

struct FileVersion {
  quint32 ms = 0;
  quint32 ls = 0;

  // "a,b,c,d": high and low word of MS, then of LS.
  QString text() const;
  // From "a,b,c,d" or "a.b.c.d" with every part 0..65535.
  static std::optional<FileVersion> parse(const QString& text);
  bool operator==(const FileVersion&) const = default;
};

struct VersionNote {
  FileVersion version;
  qint64 descriptorOffset = 0;  // where MS lies in the file
};

std::optional<VersionNote> ReadVersionNote(const QString& path);

// The file's version as the update list shows it: "0,0,0,0" without a note.
QString FileVersionText(const QString& path);

// Copies `source` to `destination` (through a temporary file and a rename)
// with its note's version replaced. False with a reason when the source has
// no note or a file cannot be written.
bool WriteRestampedCopy(const QString& source, const QString& destination, FileVersion version,
                        QString* error = nullptr);

}  // namespace lumi::version
