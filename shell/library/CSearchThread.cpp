#include "shell/library/CSearchThread.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QMutex>
#include <QSet>

#include "shell/library/MediaWalk.h"

namespace lumi::library {

namespace {

QMutex liveMutex;
QSet<QString>& liveCatalogs() {
  static QSet<QString> set;
  return set;
}

bool writeAll(int fd, const QByteArray& bytes) {
  qsizetype written = 0;
  while (written < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
    if (n <= 0) return false;
    written += n;
  }
  return true;
}

void writeProgress(int fd, qint64 total, qint64 done) {
  const QByteArray bytes = EncodeProgress(total, done);
  (void)::pwrite(fd, bytes.constData(), size_t(bytes.size()), 0);
}

int openTruncated(const QString& file) {
  return ::open(QFile::encodeName(file).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
}

}  // namespace

qint64 UsedBytesOnDisk(const QString& root) {
  struct statvfs st;
  if (::statvfs(QFile::encodeName(root).constData(), &st) != 0) return 0;
  return qint64(st.f_blocks - st.f_bfree) * qint64(st.f_frsize);
}

CSearchThread::CSearchThread(ScanRequest request, std::shared_ptr<std::atomic<int>> scanning)
    : request_(std::move(request)), scanning_(std::move(scanning)) {
  claim_ = EntriesFile(request_.dataDir, request_.kind, request_.driveIndex);
  QMutexLocker lock(&liveMutex);
  liveCatalogs().insert(claim_);
}

CSearchThread::~CSearchThread() {
  QMutexLocker lock(&liveMutex);
  liveCatalogs().remove(claim_);
}

bool CSearchThread::busy(MediaKind kind, int driveIndex, const QString& dataDir) {
  QMutexLocker lock(&liveMutex);
  return liveCatalogs().contains(EntriesFile(dataDir, kind, driveIndex));
}

void CSearchThread::run() {
  // The scan gives way to the user-interface thread: the remote's keys are
  // answered first, and the walk takes what CPU and disk time is left.
  const auto tid = ::syscall(SYS_gettid);
  (void)::setpriority(PRIO_PROCESS, id_t(tid), 10);
  constexpr int kIoprioClassBestEffort = 2, kIoprioClassShift = 13, kIoprioWhoProcess = 1;
  (void)::syscall(SYS_ioprio_set, kIoprioWhoProcess, tid, (kIoprioClassBestEffort << kIoprioClassShift) | 7);

  const ScanRequest& r = request_;
  total_ = r.usedBytes ? r.usedBytes(r.root) : UsedBytesOnDisk(r.root);
  emit measured(r.driveIndex, total_);

  // Both files are truncated in place rather than deleted and created: a
  // folder that cannot be written keeps the catalogue it had.
  QDir().mkpath(CatalogFolder(r.dataDir, r.kind));
  entriesFd_ = openTruncated(EntriesFile(r.dataDir, r.kind, r.driveIndex));
  progressFd_ = entriesFd_ < 0 ? -1 : openTruncated(ProgressFile(r.dataDir, r.kind, r.driveIndex));
  if (entriesFd_ < 0 || progressFd_ < 0) {
    if (entriesFd_ >= 0) ::close(entriesFd_);
    entriesFd_ = -1;
    emit ended(r.driveIndex, ScanEnd::FilesFailed, 0);
    QMutexLocker lock(&liveMutex);
    liveCatalogs().remove(claim_);
    return;
  }
  writeProgress(progressFd_, total_, 0);

  fileCount_ = 0;
  done_ = 0;
  const QByteArray root = QFile::encodeName(r.root);
  MediaWalk walk(
      root, [this] { return scanning_->load(std::memory_order_relaxed) != 0; },
      [this, &r](const WalkFile& file) {
        done_ += file.size;
        bool added = false;
        if (file.listable && !file.folderTaken) {
          const qsizetype dot = file.name.lastIndexOf('.');
          if (dot > 0 && dot + 1 < file.name.size()) {
            const quint32 type = TypeCodeOf(r.kind, QByteArrayView(file.name).sliced(dot + 1));
            if (type != 0 && r.enabled.has(type)) {
              added = add(file.folder, QByteArray(file.name), type, QString::fromUtf8(file.name.left(dot)));
            }
          }
        }
        if (fileCount_ % 100 == 0) {
          handOver();
          emit progressed(r.driveIndex, done_);
        }
        ++fileCount_;
        return added;
      });
  const WalkEnd end = walk.run();
  handOver();
  if (end == WalkEnd::Completed) {
    done_ = total_;
    writeProgress(progressFd_, total_, done_);
  }
  ::close(entriesFd_);
  ::close(progressFd_);
  entriesFd_ = progressFd_ = -1;
  {
    // Free the catalogue before the browser hears of the end, so that it can
    // start the drive again at once.
    QMutexLocker lock(&liveMutex);
    liveCatalogs().remove(claim_);
  }
  emit ended(r.driveIndex, end == WalkEnd::Completed ? ScanEnd::Completed : ScanEnd::Stopped, done_);
}

void CSearchThread::handOver() {
  if (pending_.isEmpty()) return;
  emit entriesFound(request_.driveIndex, pending_);
  pending_.clear();
}

bool CSearchThread::add(const QByteArray& folder, const QByteArray& name, quint32 type, const QString& title) {
  const ScanRequest& r = request_;
  QByteArray path = folder;
  if (!path.endsWith('/')) path.append('/');
  path.append(name);
  if (path.size() > kMaxPathBytes) return false;
  const QString pathText = QString::fromUtf8(path);
  if (pathText.contains(skipFolder)) return false;

  CatalogEntry entry;
  entry.date = date_;
  entry.title = title;
  entry.path = pathText;
  QByteArray root = QFile::encodeName(r.root);
  while (root.size() > 1 && root.endsWith('/')) root.chop(1);
  if (folder == root) {
    entry.folder = r.rootFolderText;
  } else {
    entry.folder = QString::fromUtf8(folder.mid(folder.lastIndexOf('/') + 1));
  }
  entry.type = type;
  pending_.append(entry);
  writeAll(entriesFd_, EncodeRecord(r.kind, entry));
  writeProgress(progressFd_, total_, done_);
  return true;
}

}  // namespace lumi::library
