#pragma once
// Folder trees for scan tests: empty or sparse files (no disk cost), links,
// FIFOs and odd names made by the test itself.
#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include <QElapsedTimer>

namespace lumi::test {

// A temporary folder that is removed with whatever names it holds (Qt gives
// up on names that are not UTF-8).
class TreeDir {
 public:
  ~TreeDir() {
    std::error_code ignored;
    std::filesystem::remove_all(QFile::encodeName(dir_.path()).toStdString(), ignored);
  }
  QString path() const { return dir_.path(); }
  QString filePath(const QString& name) const { return dir_.filePath(name); }

 private:
  QTemporaryDir dir_;
};

// A file of `size` bytes that takes no disk space.
inline void makeFile(const QByteArray& path, qint64 size = 0) {
  const qsizetype slash = path.lastIndexOf('/');
  QDir().mkpath(QFile::decodeName(path.left(slash)));
  const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd >= 0) {
    if (size > 0) (void)::ftruncate(fd, size);
    ::close(fd);
  }
}

inline void makeFile(const QString& path, qint64 size = 0) { makeFile(QFile::encodeName(path), size); }

// Runs the event loop until `condition` holds or the time is up.
inline bool processUntil(const std::function<bool()>& condition, int timeoutMs = 20000) {
  QElapsedTimer timer;
  timer.start();
  while (!condition()) {
    if (timer.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

inline QByteArray readAll(const QString& file) {
  QFile f(file);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace lumi::test
