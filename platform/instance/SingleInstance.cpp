#include "platform/instance/SingleInstance.h"

#include "platform/instance/RuntimeFolder.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace lumi {

QString SingleInstanceLock::lockFile(const QString& name) {
  const QString folder = runtimeFolder();
  if (folder.isEmpty()) return {};
  // Readable for a person looking at the folder, unique through the hash.
  QString readable;
  for (QChar c : name) readable += c.isLetterOrNumber() && c.unicode() < 128 ? c : QChar('_');
  const QByteArray hash = QCryptographicHash::hash(name.toUtf8(), QCryptographicHash::Sha1).toHex().left(12);
  return QDir(folder).filePath(QStringLiteral("%1-%2.lock").arg(readable.left(40), QString::fromLatin1(hash)));
}

SingleInstanceLock::SingleInstanceLock(const QString& name) {
  const QString path = lockFile(name);
  if (path.isEmpty()) return;
  const int fd = open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return;
  }
  // The holder's pid, for a person who wonders who holds it.
  const QByteArray pid = QByteArray::number(getpid()) + '\n';
  if (ftruncate(fd, 0) == 0) (void)!write(fd, pid.constData(), pid.size());
  fd_ = fd;
}

SingleInstanceLock::~SingleInstanceLock() { release(); }

void SingleInstanceLock::release() {
  if (fd_ < 0) return;
  flock(fd_, LOCK_UN);
  close(fd_);
  fd_ = -1;
}

}  // namespace lumi
