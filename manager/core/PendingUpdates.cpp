#include "manager/core/PendingUpdates.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace lumi::manager {

namespace {
const QLatin1String kSuffix(".Update");

bool updaterFile(const QString& name) { return name.contains(QLatin1String("Freshwell")); }
}  // namespace

QStringList PendingUpdateFiles(const QString& programFolder) {
  QStringList names;
  for (const QFileInfo& file : QDir(programFolder).entryInfoList(QDir::Files | QDir::Hidden, QDir::Name))
    if (file.fileName().indexOf(kSuffix) > 0) names << file.fileName();
  return names;
}

QString ApplyPendingUpdate(const QString& programFolder, const QString& updateFile) {
  const QDir folder(programFolder);
  const QString target = updateFile.left(updateFile.indexOf(kSuffix));
  // rename(2) replaces the target atomically; deleting it first would leave
  // a window in which the program file is missing.
  if (std::rename(QFile::encodeName(folder.filePath(updateFile)).constData(),
                  QFile::encodeName(folder.filePath(target)).constData()) != 0) {
    qWarning("pending update: %s stays where it is: %s", qPrintable(updateFile), std::strerror(errno));
    return {};
  }
  return target;
}

QStringList ApplyPendingUpdates(const QString& programFolder, const PendingUpdateSteps& steps) {
  QStringList replaced;
  bool waitedForUpdater = false;
  for (const QString& name : PendingUpdateFiles(programFolder)) {
    if (updaterFile(name) && !waitedForUpdater && steps.waitForUpdaterGone) {
      steps.waitForUpdaterGone();
      waitedForUpdater = true;
    }
    if (steps.pause) steps.pause();
    const QString target = ApplyPendingUpdate(programFolder, name);
    if (!target.isEmpty()) replaced << target;
  }
  return replaced;
}

PendingUpdateRun::PendingUpdateRun(std::function<qint64()> updaterProcess, int pauseMs, QObject* parent)
    : QObject(parent), updaterProcess_(std::move(updaterProcess)), pauseMs_(pauseMs) {
  timer_.setSingleShot(true);
  connect(&timer_, &QTimer::timeout, this, [this] {
    if (updater_.watching()) {
      // The updater did not end in time: go on as the waiting version does.
      updater_.cancel();
      next();
      return;
    }
    if (!files_.isEmpty()) {
      const QString target = ApplyPendingUpdate(folder_, files_.takeFirst());
      if (!target.isEmpty()) replaced_ << target;
    }
    next();
  });
  connect(&updater_, &ProcessEndWatch::ended, this, [this] {
    timer_.stop();
    next();
  });
}

void PendingUpdateRun::start(const QString& programFolder, std::function<void()> then) {
  if (then) then_.push_back(std::move(then));
  if (running_) return;
  folder_ = programFolder;
  files_ = PendingUpdateFiles(programFolder);
  replaced_.clear();
  waitedForUpdater_ = false;
  running_ = true;
  next();
}

void PendingUpdateRun::next() {
  if (files_.isEmpty()) {
    finish();
    return;
  }
  if (updaterFile(files_.first()) && !waitedForUpdater_) {
    waitedForUpdater_ = true;
    const qint64 pid = updaterProcess_ ? updaterProcess_() : 0;
    if (pid > 0 && updater_.watch(pid)) {
      timer_.start(kUpdaterWaitMs);
      return;
    }
  }
  timer_.start(pauseMs_);
}

void PendingUpdateRun::finish() {
  running_ = false;
  auto waiting = std::move(then_);
  then_.clear();
  for (auto& then : waiting) then();
}

}  // namespace lumi::manager
