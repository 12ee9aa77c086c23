#include "platform/instance/RuntimeFolder.h"

#include <QDir>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace lumi {
namespace {

bool privateFolder(const QByteArray& path) {
  if (mkdir(path.constData(), 0700) != 0 && errno != EEXIST) return false;
  struct stat st{};
  if (lstat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  if (st.st_uid != geteuid()) return false;
  if ((st.st_mode & 0077) != 0 && chmod(path.constData(), 0700) != 0) return false;
  return true;
}

}  // namespace

QString runtimeFolder() {
  const QString base = qEnvironmentVariable("XDG_RUNTIME_DIR");
  const QString path = !base.isEmpty() && QDir(base).exists()
                           ? QDir(base).filePath("lumicaster")
                           : QStringLiteral("/tmp/lumicaster-%1").arg(geteuid());
  return privateFolder(QFile::encodeName(path)) ? path : QString();
}

}  // namespace lumi
