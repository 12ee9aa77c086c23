#include "shell/launch/DiscScanner.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>

namespace lumi::shell {

QString FindNoCase(const QString& folder, const QStringList& components) {
  QString path = folder;
  for (const QString& part : components) {
    if (!path.endsWith('/')) path += '/';
    if (QFileInfo::exists(path + part)) {
      path += part;
      continue;
    }
    const QStringList entries = QDir(path).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
    QString match;
    for (const QString& e : entries) {
      if (e.compare(part, Qt::CaseInsensitive) == 0) {
        match = e;
        break;
      }
    }
    if (match.isEmpty()) return {};
    path += match;
  }
  return path;
}

namespace {

// Opens for reading without blocking on a FIFO; only a regular file counts.
bool readableFile(const QString& path) {
  const QByteArray name = QFile::encodeName(path);
  struct stat st;
  if (::stat(name.constData(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

}  // namespace

DiscScanner::DiscScanner(const QList<library::Drive>& drives) {
  for (const library::Drive& drive : drives) {
    if (drive.type != library::DriveType::CdRom || drive.root.isEmpty()) continue;
    const QString ifo = FindNoCase(drive.root, {"VIDEO_TS", "VIDEO_TS.IFO"});
    if (!ifo.isEmpty() && readableFile(ifo)) {
      roots << drive.root;
      types << "DVD";
      labels << drive.label;
      dvdRoots << drive.root;
      dvdLabels << drive.label;
    } else if (!FindNoCase(drive.root, {"MPEGAV"}).isEmpty()) {
      roots << drive.root;
      types << "VCD";
      labels << drive.label;
      vcdRoots << drive.root;
      vcdLabels << drive.label;
    }
  }
}

}  // namespace lumi::shell
