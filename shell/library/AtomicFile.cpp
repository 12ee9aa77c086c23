#include "shell/library/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace lumi::library {

bool ReplaceFile(const QString& file, const QByteArray& bytes) {
  const QByteArray target = QFile::encodeName(file);
  QByteArray temp = target + ".XXXXXX";
  const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = ::fchmod(fd, 0644) == 0;
  qsizetype written = 0;
  while (ok && written < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) ok = false;
    else written += n;
  }
  ok = ok && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  ok = ok && ::rename(temp.constData(), target.constData()) == 0;
  if (!ok) ::unlink(temp.constData());
  return ok;
}

}  // namespace lumi::library
