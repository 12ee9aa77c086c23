#include "updater/core/UpdateInstaller.h"

#include "common/transfer/DownloadFolder.h"
#include "common/transfer/SafeUnzip.h"
#include "common/transfer/TransferSession.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace lumi::updater {

namespace {

constexpr qint64 kCopyBlock = 4096;

QFileInfoList topLevelFiles(const QString& folder) {
  QFileInfoList files;
  for (const QFileInfo& info :
       QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot | QDir::NoSymLinks, QDir::Name))
    if (!info.fileName().startsWith(QLatin1String(transfer::kPartialPrefix))) files.append(info);
  return files;
}

// The program file a downloaded name replaces: an existing one matching
// ignoring case keeps its spelling.
QString targetName(const QString& programFolder, const QString& name) {
  for (const QString& existing : QDir(programFolder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot))
    if (existing.compare(name, Qt::CaseInsensitive) == 0) return existing;
  return name;
}

struct Staged {
  QByteArray tempPath;
  QByteArray finalPath;
  QString finalName;
  bool pending = false;
};

}  // namespace

UpdateFlags FlagsForArchive(const QString& archiveName) {
  const QString upper = archiveName.toUpper();
  UpdateFlags flags;
  if (upper == QLatin1String("FRESHWELL.EXE.ZIP")) flags.pendingRename = true;
  if (upper == QLatin1String("RESOURCES.DLL.ZIP")) flags.pendingRename = flags.stopShell = true;
  if (upper == QLatin1String("LUMICASTER.EXE.ZIP")) flags.stopShell = true;
  if (upper == QLatin1String("LUMICASTER MANAGER.EXE.ZIP")) flags.stopManager = true;
  return flags;
}

UnpackResult UnpackUpdate(const QString& downloadFolder, const ProgressCallback& progress) {
  UnpackResult result;
  QFileInfoList archives;
  qint64 totalSize = 0;
  for (const QFileInfo& file : topLevelFiles(downloadFolder)) {
    if (!file.fileName().toUpper().contains(QLatin1String(".ZIP"))) continue;
    const UpdateFlags flags = FlagsForArchive(file.fileName());
    result.flags.pendingRename |= flags.pendingRename;
    result.flags.stopShell |= flags.stopShell;
    result.flags.stopManager |= flags.stopManager;
    archives.append(file);
    totalSize += file.size();
  }
  transfer::DownloadFolder folder(downloadFolder);
  qint64 done = 0;
  for (const QFileInfo& archive : archives) {
    if (progress) progress({archive.fileName(), 0, transfer::Percent(done, totalSize).value_or(100)});
    const transfer::UnzipResult unzipped = transfer::SafeUnzip(archive.filePath(), folder);
    if (!unzipped.opened) result.failedArchives.append(archive.fileName());
    done += archive.size();
    QFile::remove(archive.filePath());
    if (progress) progress({archive.fileName(), 100, transfer::Percent(done, totalSize).value_or(100)});
  }
  return result;
}

bool MappedByThisProcess(const QString& path) {
  struct stat target;
  if (stat(QFile::encodeName(path).constData(), &target) != 0) return false;
  QFile maps(QStringLiteral("/proc/self/maps"));
  if (!maps.open(QIODevice::ReadOnly)) return false;
  // "start-end perms offset major:minor inode path"
  for (const QByteArray& line : maps.readAll().split('\n')) {
    const QList<QByteArray> fields = line.simplified().split(' ');
    if (fields.size() < 5) continue;
    const QList<QByteArray> device = fields[3].split(':');
    if (device.size() != 2) continue;
    bool ok1 = false, ok2 = false, ok3 = false;
    const unsigned major = device[0].toUInt(&ok1, 16), minor = device[1].toUInt(&ok2, 16);
    const qulonglong inode = fields[4].toULongLong(&ok3);
    if (ok1 && ok2 && ok3 && inode == target.st_ino && major == ::major(target.st_dev) &&
        minor == ::minor(target.st_dev))
      return true;
  }
  return false;
}

InstallResult InstallUpdate(const QString& downloadFolder, const QString& programFolder,
                            const ProgressCallback& progress, const InstallOptions& options) {
  InstallResult result;
  const QFileInfoList files = topLevelFiles(downloadFolder);
  qint64 totalSize = 0;
  for (const QFileInfo& file : files) totalSize += file.size();

  std::vector<Staged> staged;
  auto abandon = [&](const QString& error) {
    for (const Staged& s : staged) ::unlink(s.tempPath.constData());
    result.ok = false;
    result.error = error;
    return result;
  };
  const QDir program(programFolder);
  qint64 copied = 0;
  QByteArray buffer(kCopyBlock, Qt::Uninitialized);
  for (const QFileInfo& file : files) {
    const QString target = targetName(programFolder, file.fileName());
    const QString targetPath = program.filePath(target);
    Staged s;
    s.pending = options.inUse && options.inUse(targetPath);
    s.finalName = s.pending ? target + QStringLiteral(".Update") : target;
    s.finalPath = QFile::encodeName(program.filePath(s.finalName));
    if (progress) progress({file.fileName(), 0, transfer::Percent(copied, totalSize).value_or(100)});
    // A folder in the way would fail its rename in the middle of the commit.
    if (QFileInfo(QFile::decodeName(s.finalPath)).isDir())
      return abandon(s.finalName + QStringLiteral(": a folder has that name"));

    const int in = ::open(QFile::encodeName(file.filePath()).constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return abandon(file.fileName() + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno)));
    struct stat existing;
    mode_t mode = QFileInfo(file.filePath()).isExecutable() ? 0755 : 0644;
    if (::stat(QFile::encodeName(targetPath).constData(), &existing) == 0) mode = existing.st_mode & 07777;
    s.tempPath = QFile::encodeName(program.filePath(QLatin1String(transfer::kPartialPrefix) + target + ".XXXXXX"));
    const int out = ::mkstemp(s.tempPath.data());
    if (out < 0) {
      ::close(in);
      return abandon(target + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno)));
    }
    staged.push_back(s);
    ::fchmod(out, mode);
    bool good = true;
    qint64 fileCopied = 0;
    for (;;) {
      const ssize_t n = ::read(in, buffer.data(), size_t(buffer.size()));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        good = n == 0;
        break;
      }
      if (::write(out, buffer.constData(), size_t(n)) != n) {
        good = false;
        break;
      }
      fileCopied += n;
      copied += n;
      if (progress)
        progress({file.fileName(), transfer::Percent(fileCopied, file.size()).value_or(100),
                  transfer::Percent(copied, totalSize).value_or(100)});
    }
    good = good && ::fsync(out) == 0;
    good = (::close(out) == 0) && good;
    ::close(in);
    if (!good) return abandon(target + QStringLiteral(": cannot be written"));
  }

  // The commit point: from here on every step is one rename.
  if (options.checkpoint) options.checkpoint(QStringLiteral("staged"));
  for (const Staged& s : staged) {
    if (::rename(s.tempPath.constData(), s.finalPath.constData()) != 0)
      return abandon(s.finalName + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno)));
    (s.pending ? result.pending : result.replaced).append(s.finalName);
    if (options.checkpoint) options.checkpoint(s.finalName);
  }
  const int dir = ::open(QFile::encodeName(programFolder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  transfer::RemoveTree(downloadFolder);
  result.ok = true;
  return result;
}

void RemoveInstallLeftovers(const QString& programFolder) {
  for (const QFileInfo& info : QDir(programFolder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System))
    if (info.fileName().startsWith(QLatin1String(transfer::kPartialPrefix))) QFile::remove(info.filePath());
}

}  // namespace lumi::updater
