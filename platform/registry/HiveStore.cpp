#include "platform/registry/HiveStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtDebug>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/registry/HiveFormat.h"

namespace lumi::registry {
namespace {

QByteArray native(const QString& path) { return QFile::encodeName(path); }

QString errorText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

bool readAll(int fd, QByteArray& out, off_t sizeHint) {
  out.clear();
  out.reserve(qsizetype(sizeHint) + 1);
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n == 0) return true;
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    out.append(buffer, n);
  }
}

bool readFile(const QString& path, QByteArray& out) {
  const int fd = ::open(native(path).constData(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = readAll(fd, out, 0);
  ::close(fd);
  return ok;
}

bool writeAll(int fd, const QByteArray& bytes) {
  const char* p = bytes.constData();
  qsizetype left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, size_t(left));
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    left -= n;
  }
  return true;
}

// Folders are created private: the user hive holds the user's settings.
bool makeFolder(const QString& folder) {
  const QString clean = QDir::cleanPath(QDir(folder).absolutePath());
  QString path;
  for (const QString& part : clean.split(u'/', Qt::SkipEmptyParts)) {
    path += u'/' + part;
    if (::mkdir(native(path).constData(), 0700) != 0 && errno != EEXIST) {
      qWarning().noquote() << "registry: cannot create folder" << path << ":" << errorText(errno);
      return false;
    }
  }
  return true;
}

void syncFolder(const QString& folder) {
  const int fd = ::open(native(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// An exclusive flock held for the lifetime of the object. The lock file is
// never deleted (that would let two writers lock different files), but
// should someone delete it anyway, the file now on disk is the one locked.
class FileLock {
 public:
  explicit FileLock(const QString& path) {
    const QByteArray name = native(path);
    for (int attempt = 0; attempt < 100; ++attempt) {
      const int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
      if (fd < 0) break;
      int r;
      while ((r = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
      }
      struct stat held {}, onDisk {};
      if (r == 0 && ::fstat(fd, &held) == 0 && ::stat(name.constData(), &onDisk) == 0 &&
          held.st_dev == onDisk.st_dev && held.st_ino == onDisk.st_ino) {
        fd_ = fd;
        return;
      }
      const int error = errno;
      ::close(fd);
      if (r != 0) {
        errno = error;
        break;
      }
    }
    qWarning().noquote() << "registry: cannot lock" << path << ":" << errorText(errno);
  }
  ~FileLock() {
    if (fd_ >= 0) ::close(fd_);  // closing the only descriptor releases the lock
  }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  bool ok() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

QString tempPrefix(const QString& target) { return QFileInfo(target).fileName() + QStringLiteral(".tmp-"); }

// Temporary files are only ever open while their writer holds the lock, so
// under the lock any that exist were left by a writer that died.
void removeStaleTemps(const QString& target) {
  const QString folder = QFileInfo(target).absolutePath();
  const QByteArray prefix = native(tempPrefix(target));
  DIR* dir = ::opendir(native(folder).constData());
  if (!dir) return;
  while (dirent* entry = ::readdir(dir)) {
    if (std::strncmp(entry->d_name, prefix.constData(), size_t(prefix.size())) != 0) continue;
    ::unlinkat(::dirfd(dir), entry->d_name, 0);
  }
  ::closedir(dir);
}

bool later(const timespec& a, const timespec& b) {
  return a.tv_sec > b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec > b.tv_nsec);
}

// Writes `bytes` to a temporary file beside `target`, makes it durable and
// renames it over `target`, so that a crash at any moment leaves either the
// old or the new file. The new file's modification time is made later than
// `notBefore`: inode numbers are reused, and other processes must still see
// that the file changed even when its size did not.
bool replaceFile(const QString& target, const QByteArray& bytes, mode_t mode, const timespec* notBefore,
                 struct stat* result) {
  static std::atomic<quint64> counter{0};
  const QByteArray base = native(target);
  QByteArray temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = base.left(base.lastIndexOf('/') + 1) + native(tempPrefix(target)) + QByteArray::number(::getpid()) +
           '-' + QByteArray::number(counter++);
    fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    qWarning().noquote() << "registry: cannot create a file beside" << target << ":" << errorText(errno);
    return false;
  }
  ::fchmod(fd, mode);  // a person may have chosen other permissions for the hive
  timespec times[2];
  times[0].tv_nsec = UTIME_OMIT;
  ::clock_gettime(CLOCK_REALTIME, &times[1]);
  if (notBefore && !later(times[1], *notBefore)) {
    times[1] = *notBefore;
    if (++times[1].tv_nsec >= 1000000000L) {
      times[1].tv_nsec = 0;
      ++times[1].tv_sec;
    }
  }
  bool ok = writeAll(fd, bytes) && ::futimens(fd, times) == 0 && ::fsync(fd) == 0;
  int error = errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (ok && ::rename(temp.constData(), base.constData()) != 0) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    ::unlink(temp.constData());
    qWarning().noquote() << "registry: cannot write" << target << ":" << errorText(error);
    return false;
  }
  syncFolder(QFileInfo(target).absolutePath());
  if (result && ::stat(base.constData(), result) != 0) *result = {};
  return true;
}

// A hive kept elsewhere through a symbolic link stays there: the link is
// followed rather than replaced by a plain file.
QString writeTarget(const QString& path) {
  struct stat st {};
  if (::lstat(native(path).constData(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  const QFileInfo info(path);
  const QString canonical = info.canonicalFilePath();
  return canonical.isEmpty() ? info.symLinkTarget() : canonical;
}

}  // namespace

HiveStore::Stamp HiveStore::Stamp::of(const struct stat& st) {
  Stamp s;
  s.known = true;
  s.exists = true;
  s.dev = st.st_dev;
  s.ino = st.st_ino;
  s.size = st.st_size;
  s.mtime = st.st_mtim;
  s.ctime = st.st_ctim;
  return s;
}

bool HiveStore::Stamp::sameFile(const Stamp& o) const {
  return dev == o.dev && ino == o.ino && size == o.size && mtime.tv_sec == o.mtime.tv_sec &&
         mtime.tv_nsec == o.mtime.tv_nsec && ctime.tv_sec == o.ctime.tv_sec && ctime.tv_nsec == o.ctime.tv_nsec;
}

HiveStore& HiveStore::of(Root root) {
  static HiveStore user(Root::CurrentUser);
  static HiveStore machine(Root::LocalMachine);
  return root == Root::CurrentUser ? user : machine;
}

QList<ParseIssue> HiveStore::lastLoadIssues() {
  QMutexLocker lock(&mutex_);
  refresh();
  return lastIssues_;
}

void HiveStore::refresh() {
  const QString path = hiveFile(root_);
  if (path != path_) {
    path_ = path;
    stamp_ = {};
    tree_ = KeyNode();
    damaged_ = unreadable_ = false;
    lastIssues_.clear();
  }
  struct stat st {};
  if (::stat(native(path).constData(), &st) != 0) {
    if (errno != ENOENT) {
      becomeUnreadable(path, errno);
    } else if (!stamp_.known || stamp_.exists) {
      Stamp missing;
      missing.known = true;
      becomeEmpty(missing);
    }
    return;
  }
  if (stamp_.known && stamp_.exists && stamp_.sameFile(Stamp::of(st))) return;
  load(path);
}

void HiveStore::load(const QString& path) {
  for (int attempt = 0;; ++attempt) {
    const int fd = ::open(native(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
      if (errno != ENOENT) return becomeUnreadable(path, errno);
      Stamp missing;
      missing.known = true;
      return becomeEmpty(missing);
    }
    struct stat before {}, after {};
    QByteArray bytes;
    const bool ok = ::fstat(fd, &before) == 0 && readAll(fd, bytes, before.st_size) && ::fstat(fd, &after) == 0;
    const int error = errno;
    ::close(fd);
    if (!ok) return becomeUnreadable(path, error);
    // A program that rewrites the file in place (an editor) may be halfway
    // through; a later look sees the finished file.
    if (!Stamp::of(before).sameFile(Stamp::of(after)) && attempt < 3) continue;

    format::Parsed parsed = format::parse(bytes, root_);
    for (const ParseIssue& issue : parsed.issues)
      qWarning().noquote() << QStringLiteral("%1:%2: %3: %4").arg(path).arg(issue.line).arg(issue.message, issue.text);
    tree_ = std::move(parsed.tree);
    lastIssues_ = std::move(parsed.issues);
    damaged_ = !lastIssues_.isEmpty();
    unreadable_ = false;
    stamp_ = Stamp::of(after);
    return;
  }
}

void HiveStore::becomeEmpty(const Stamp& stamp) {
  tree_ = KeyNode();
  lastIssues_.clear();
  damaged_ = unreadable_ = false;
  stamp_ = stamp;
}

void HiveStore::becomeUnreadable(const QString& path, int error) {
  if (!unreadable_) qWarning().noquote() << "registry: cannot read" << path << ":" << errorText(error);
  tree_ = KeyNode();
  lastIssues_.clear();
  damaged_ = false;
  unreadable_ = true;
  stamp_ = {};  // look again next time
}

bool HiveStore::modify(const std::function<Change(KeyNode&)>& change) {
  QMutexLocker lock(&mutex_);
  const QString path = hiveFile(root_);
  if (!makeFolder(hiveFolder(root_))) return false;
  FileLock fileLock(path + QStringLiteral(".lock"));
  if (!fileLock.ok()) return false;
  const QString target = writeTarget(path);
  removeStaleTemps(target);
  removeStaleTemps(target + QStringLiteral(".bak"));
  refresh();
  // Writing now would replace settings that are on disk but could not be read.
  if (unreadable_) return false;

  const Change result = change(tree_);
  if (result != Change::Changed) return result == Change::Unchanged;

  mode_t mode = 0600;
  struct stat current {};
  if (stamp_.exists && ::stat(native(target).constData(), &current) == 0) mode = current.st_mode & 07777;
  // The rewrite drops the lines that could not be read: keep the damaged file
  // first, so that a hand edit with a typo is never lost.
  if (damaged_ && stamp_.exists) {
    QByteArray original;
    if (!readFile(target, original) || !replaceFile(target + QStringLiteral(".bak"), original, mode, nullptr, nullptr)) {
      stamp_ = {};
      return false;
    }
  }
  struct stat written {};
  if (!replaceFile(target, format::serialize(tree_, root_), mode, stamp_.exists ? &stamp_.mtime : nullptr,
                   &written)) {
    stamp_ = {};  // the tree holds a change the file does not: read the file again
    return false;
  }
  stamp_ = written.st_ino ? Stamp::of(written) : Stamp{};
  damaged_ = false;
  return true;
}

}  // namespace lumi::registry
