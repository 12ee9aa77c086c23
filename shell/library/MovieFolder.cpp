#include "shell/library/MovieFolder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <numeric>

#include "shell/library/AtomicFile.h"
#include "shell/library/MediaWalk.h"

namespace lumi::library {

QStringList MovieMarks(EnabledTypes enabled) {
  QStringList marks;
  if (enabled.has(4)) marks << ".WMV";
  if (enabled.has(2)) marks << ".MPG" << ".MPEG";
  if (enabled.has(1)) marks << ".AVI";
  if (enabled.has(3)) marks << ".ASF";
  return marks;
}

QStringList ListMediaFiles(const QString& folder, const QStringList& marks) {
  QStringList files;
  QByteArray base = QFile::encodeName(folder);
  DIR* dir = ::opendir(base.constData());
  if (!dir) return files;
  if (!base.endsWith('/')) base.append('/');
  QList<QByteArray> upperMarks;
  for (const QString& m : marks) upperMarks.append(m.toLatin1());
  const int fd = ::dirfd(dir);
  while (dirent* d = ::readdir(dir)) {
    const QByteArray name(d->d_name);
    if (name == "." || name == ".." || !IsListableName(name.constData(), name.size())) continue;
    const QByteArray upper = AsciiUpper(name);
    if (std::none_of(upperMarks.begin(), upperMarks.end(), [&](const QByteArray& m) { return upper.contains(m); })) {
      continue;
    }
    struct stat st;
    if (::fstatat(fd, d->d_name, &st, 0) != 0 || !S_ISREG(st.st_mode)) continue;
    files.append(QString::fromUtf8(base + name));
  }
  ::closedir(dir);
  return files;
}

namespace {

struct Stat {
  qint64 mtime = 0;
  qint64 mtimeNs = 0;
  qint64 size = 0;
};

Stat statOf(const QString& path) {
  Stat s;
  struct stat st;
  if (::stat(QFile::encodeName(path).constData(), &st) == 0) {
    s.mtime = st.st_mtim.tv_sec;
    s.mtimeNs = st.st_mtim.tv_nsec;
    s.size = S_ISDIR(st.st_mode) ? 0 : qint64(st.st_size);
  }
  return s;
}

QString folderOf(const QString& path) {
  const qsizetype slash = path.lastIndexOf('/');
  return slash > 0 ? path.left(slash) : QStringLiteral("/");
}

// A stable order of n items by a key; descending reverses the comparison
// only, so equal keys keep their order either way.
template <typename Key>
QList<int> stableOrder(int n, int direction, Key key) {
  using K = decltype(key(0));
  QList<K> keys;
  keys.reserve(n);
  for (int i = 0; i < n; ++i) keys.append(key(i));
  QList<int> order(n);
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    return direction == Descending ? keys[b] < keys[a] : keys[a] < keys[b];
  });
  return order;
}

QList<int> orderBy(int n, int sortType, int direction, const std::function<QString(int)>& name,
                   const std::function<QString(int)>& statPath) {
  switch (sortType) {
    case SortName:
      return stableOrder(n, direction, [&](int i) { return AsciiUpper(name(i).toUtf8()); });
    case SortDate:
      return stableOrder(n, direction, [&](int i) {
        const Stat s = statOf(statPath(i));
        return std::pair<qint64, qint64>(s.mtime, s.mtimeNs);
      });
    case SortSize:
      return stableOrder(n, direction, [&](int i) { return statOf(statPath(i)).size; });
    default: {
      QList<int> order(n);
      std::iota(order.begin(), order.end(), 0);
      return order;
    }
  }
}

}  // namespace

void SortFiles(QStringList& files, int sortType, int direction) {
  const QList<int> order = orderBy(
      int(files.size()), sortType, direction, [&](int i) { return files[i]; }, [&](int i) { return files[i]; });
  QStringList sorted;
  sorted.reserve(files.size());
  for (int i : order) sorted.append(files[i]);
  files = sorted;
}

QList<int> FolderOrder(const CDriveCatalog& catalog, int sortType, int direction) {
  return orderBy(
      catalog.count, sortType, direction, [&](int i) { return catalog.folders[i]; },
      [&](int i) { return folderOf(catalog.paths[i]); });
}

FileCheck CheckReadable(const QString& path) {
  const QByteArray name = QFile::encodeName(path);
  struct stat st;
  if (::stat(name.constData(), &st) != 0) return errno == ENOENT || errno == ENOTDIR ? FileCheck::Missing
                                                                                      : FileCheck::Unreadable;
  if (!S_ISREG(st.st_mode)) return FileCheck::Unreadable;
  const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return FileCheck::Unreadable;
  ::close(fd);
  return FileCheck::Readable;
}

QStringList BuildSeries(const QStringList& files, int chosen) {
  if (chosen < 0 || chosen >= files.size()) return {};
  const QByteArray pick = files[chosen].toUtf8();
  QList<QByteArray> series;
  for (qsizetype i = chosen; i < files.size(); ++i) {
    const QByteArray path = files[i].toUtf8();
    if (path.size() != pick.size()) continue;
    int differences = 0;
    for (qsizetype k = 0; k < path.size() && differences < 2; ++k) differences += path[k] != pick[k];
    if (differences > 1) continue;
    // Before the first element that compares greater; equal ones keep order.
    auto at = std::upper_bound(series.begin(), series.end(), path);
    series.insert(at, path);
  }
  QStringList out;
  for (const QByteArray& p : series) out.append(QString::fromUtf8(p));
  return out;
}

bool WritePlaylist(const QString& file, const QStringList& paths) {
  QByteArray bytes;
  for (const QString& p : paths) bytes += p.toUtf8() + "\r\n";
  return ReplaceFile(file, bytes);
}

}  // namespace lumi::library
