#pragma once
// A folder that receives files from a server or an archive: every name is
// confined to it, and every file appears under its final name only once it
// is complete.
//
// Names come from the other side and are not trusted:
//  - "\" and "/" both separate components (the server's names are written
//    the Windows way);
//  - refused: empty names, absolute names ("/x", "C:\x", "C:x"), empty
//    components ("a//b"), "." and "..", control bytes (NUL included), and
//    components longer than 255 bytes;
//  - folders along the way are created or entered without following
//    symbolic links, so a link planted inside the folder cannot lead out;
//  - a file is written under a temporary name created exclusively in its
//    final folder and renamed over the final name (replacing an older file
//    of that name) when complete, so a broken transfer or a kill never
//    leaves a partial file under a real name.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace lumi::transfer {

// Temporary files start with this, so that a later run can clear the
// leftovers of a killed one and nobody mistakes them for real files.
inline constexpr char kPartialPrefix[] = ".lumi-part-";

// The components of a name from the other side, or nothing when the name is
// refused (see above).
std::optional<QStringList> ConfinedComponents(const QString& name);

class PartialFile;

class DownloadFolder {
 public:
  // The folder itself is created when missing (with its parents).
  explicit DownloadFolder(QString root);
  ~DownloadFolder();
  DownloadFolder(const DownloadFolder&) = delete;
  DownloadFolder& operator=(const DownloadFolder&) = delete;

  const QString& root() const { return root_; }

  // Creates the folder (and the folders on its way). False with a reason.
  bool createFolder(const QString& name, QString* error = nullptr);
  // Starts a file of `mode` permissions; the folders on its way are
  // created. Nothing when the name is refused or the file cannot be made.
  std::optional<PartialFile> beginFile(const QString& name, QString* error = nullptr, int mode = 0644);
  // Bytes the file system can still take; -1 when unknown.
  qint64 freeBytes() const;
  // Removes everything in the folder (not the folder itself), without
  // following links. False when something could not be removed.
  bool clear();
  // Removes leftovers of broken writes (temporary names) at every level.
  void removePartials();

 private:
  int openParent(const QStringList& components, bool create, QString* error) const;

  QString root_;
};

// A file being written. Destroying it without commit() removes it.
class PartialFile {
 public:
  PartialFile(int folderFd, QByteArray tempName, QByteArray finalName, int fileFd, QString displayPath);
  PartialFile(PartialFile&& other) noexcept;
  PartialFile& operator=(PartialFile&& other) noexcept;
  ~PartialFile();

  bool write(const char* data, qint64 size);
  bool write(const QByteArray& data) { return write(data.constData(), data.size()); }
  qint64 written() const { return written_; }
  // Flushes the bytes to disk and gives the file its final name.
  bool commit(QString* error = nullptr);
  // Removes the temporary file.
  void discard();
  bool isOpen() const { return fileFd_ >= 0; }
  // The final path, for messages.
  const QString& path() const { return displayPath_; }

 private:
  void release();

  int folderFd_ = -1;
  QByteArray tempName_;
  QByteArray finalName_;
  int fileFd_ = -1;
  qint64 written_ = 0;
  QString displayPath_;
};

// Removes a folder with everything below it, never following links.
bool RemoveTree(const QString& path);

}  // namespace lumi::transfer
