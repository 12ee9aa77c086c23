#include "common/transfer/DownloadFolder.h"

#include <QDir>
#include <QRegularExpression>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace lumi::transfer {

namespace {

constexpr int kMaxComponentBytes = 255;

QString errnoText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

void setError(QString* error, const QString& text) {
  if (error) *error = text;
}

QByteArray randomSuffix() {
  static thread_local std::mt19937_64 generator{std::random_device{}()};
  static const char kAlphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  QByteArray suffix(10, '0');
  for (char& c : suffix) c = kAlphabet[generator() % (sizeof kAlphabet - 1)];
  return suffix;
}

// Enters (optionally creating) one folder below `parent` without following
// a link; the result is owned by the caller.
int enterFolder(int parent, const QByteArray& name, bool create) {
  int fd = openat(parent, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0 && errno == ENOENT && create) {
    if (mkdirat(parent, name.constData(), 0755) != 0 && errno != EEXIST) return -1;
    fd = openat(parent, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  }
  return fd;
}

// Removes everything inside the folder `fd` (closed here).
bool clearFolderFd(int fd, bool partialsOnly) {
  DIR* dir = fdopendir(fd);
  if (!dir) {
    close(fd);
    return false;
  }
  bool ok = true;
  while (dirent* entry = readdir(dir)) {
    const QByteArray name(entry->d_name);
    if (name == "." || name == "..") continue;
    struct stat info;
    if (fstatat(dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (S_ISDIR(info.st_mode)) {
      const int child = openat(dirfd(dir), entry->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      if (child < 0 || !clearFolderFd(child, partialsOnly)) ok = false;
      if (!partialsOnly && unlinkat(dirfd(dir), entry->d_name, AT_REMOVEDIR) != 0) ok = false;
    } else if (!partialsOnly || name.startsWith(kPartialPrefix)) {
      if (unlinkat(dirfd(dir), entry->d_name, 0) != 0) ok = false;
    }
  }
  closedir(dir);
  return ok;
}

}  // namespace

std::optional<QStringList> ConfinedComponents(const QString& name) {
  if (name.isEmpty()) return std::nullopt;
  QString path = name;
  path.replace(QLatin1Char('\\'), QLatin1Char('/'));
  if (path.startsWith(QLatin1Char('/'))) return std::nullopt;
  // A drive, with or without a folder after it.
  static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:"));
  if (drive.match(path).hasMatch()) return std::nullopt;
  const QStringList parts = path.split(QLatin1Char('/'));
  for (const QString& part : parts) {
    if (part.isEmpty() || part == QLatin1String(".") || part == QLatin1String("..")) return std::nullopt;
    if (part.toUtf8().size() > kMaxComponentBytes) return std::nullopt;
    for (const QChar c : part)
      if (c.unicode() < 0x20 || c.unicode() == 0x7f) return std::nullopt;
  }
  return parts;
}

DownloadFolder::DownloadFolder(QString root) : root_(std::move(root)) { QDir().mkpath(root_); }

DownloadFolder::~DownloadFolder() = default;

int DownloadFolder::openParent(const QStringList& components, bool create, QString* error) const {
  int fd = open(QFile::encodeName(root_).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    setError(error, errnoText(errno));
    return -1;
  }
  for (qsizetype i = 0; i + 1 < components.size(); ++i) {
    const int next = enterFolder(fd, QFile::encodeName(components[i]), create);
    const int saved = errno;
    close(fd);
    if (next < 0) {
      setError(error, errnoText(saved));
      return -1;
    }
    fd = next;
  }
  return fd;
}

bool DownloadFolder::createFolder(const QString& name, QString* error) {
  auto components = ConfinedComponents(name);
  if (!components) {
    setError(error, QStringLiteral("name refused"));
    return false;
  }
  components->append(QStringLiteral("x"));  // enter every component as a folder
  const int fd = openParent(*components, true, error);
  if (fd < 0) return false;
  close(fd);
  return true;
}

std::optional<PartialFile> DownloadFolder::beginFile(const QString& name, QString* error, int mode) {
  const auto components = ConfinedComponents(name);
  if (!components) {
    setError(error, QStringLiteral("name refused"));
    return std::nullopt;
  }
  const int folder = openParent(*components, true, error);
  if (folder < 0) return std::nullopt;
  const QByteArray finalName = QFile::encodeName(components->last());
  // The final name may be taken by a folder: refuse now rather than fail the
  // rename after the whole download.
  struct stat info;
  if (fstatat(folder, finalName.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(info.st_mode)) {
    close(folder);
    setError(error, errnoText(EISDIR));
    return std::nullopt;
  }
  for (int attempt = 0; attempt < 16; ++attempt) {
    const QByteArray temp = QByteArray(kPartialPrefix) + randomSuffix();
    const int fd = openat(folder, temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd >= 0) {
      fchmod(fd, mode);  // the umask must not strip what the file needs (an executable bit)
      return PartialFile(folder, temp, finalName, fd, root_ + QLatin1Char('/') + components->join(QLatin1Char('/')));
    }
    if (errno != EEXIST) {
      setError(error, errnoText(errno));
      break;
    }
  }
  close(folder);
  return std::nullopt;
}

qint64 DownloadFolder::freeBytes() const {
  struct statvfs info;
  if (statvfs(QFile::encodeName(root_).constData(), &info) != 0) return -1;
  return qint64(info.f_bavail) * qint64(info.f_frsize);
}

bool DownloadFolder::clear() {
  const int fd = open(QFile::encodeName(root_).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  return fd >= 0 && clearFolderFd(fd, false);
}

void DownloadFolder::removePartials() {
  const int fd = open(QFile::encodeName(root_).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) clearFolderFd(fd, true);
}

bool RemoveTree(const QString& path) {
  const QByteArray native = QFile::encodeName(path);
  const int fd = open(native.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT;
  if (!clearFolderFd(fd, false)) return false;
  return rmdir(native.constData()) == 0;
}

PartialFile::PartialFile(int folderFd, QByteArray tempName, QByteArray finalName, int fileFd, QString displayPath)
    : folderFd_(folderFd),
      tempName_(std::move(tempName)),
      finalName_(std::move(finalName)),
      fileFd_(fileFd),
      displayPath_(std::move(displayPath)) {}

PartialFile::PartialFile(PartialFile&& other) noexcept { *this = std::move(other); }

PartialFile& PartialFile::operator=(PartialFile&& other) noexcept {
  if (this != &other) {
    discard();
    folderFd_ = std::exchange(other.folderFd_, -1);
    tempName_ = std::move(other.tempName_);
    finalName_ = std::move(other.finalName_);
    fileFd_ = std::exchange(other.fileFd_, -1);
    written_ = std::exchange(other.written_, 0);
    displayPath_ = std::move(other.displayPath_);
  }
  return *this;
}

PartialFile::~PartialFile() { discard(); }

bool PartialFile::write(const char* data, qint64 size) {
  if (fileFd_ < 0) return false;
  while (size > 0) {
    const ssize_t n = ::write(fileFd_, data, size_t(size));
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= n;
    written_ += n;
  }
  return true;
}

bool PartialFile::commit(QString* error) {
  if (fileFd_ < 0) return false;
  if (fsync(fileFd_) != 0 || close(std::exchange(fileFd_, -1)) != 0 ||
      renameat(folderFd_, tempName_.constData(), folderFd_, finalName_.constData()) != 0) {
    setError(error, errnoText(errno));
    discard();
    return false;
  }
  fsync(folderFd_);
  tempName_.clear();
  release();
  return true;
}

void PartialFile::discard() {
  if (fileFd_ >= 0) close(std::exchange(fileFd_, -1));
  if (folderFd_ >= 0 && !tempName_.isEmpty()) unlinkat(folderFd_, tempName_.constData(), 0);
  tempName_.clear();
  release();
}

void PartialFile::release() {
  if (folderFd_ >= 0) close(std::exchange(folderFd_, -1));
}

}  // namespace lumi::transfer
