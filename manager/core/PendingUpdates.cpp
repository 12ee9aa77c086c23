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
}

QStringList ApplyPendingUpdates(const QString& programFolder, const PendingUpdateSteps& steps) {
  QStringList replaced;
  const QDir folder(programFolder);
  const QFileInfoList files = folder.entryInfoList(QDir::Files | QDir::Hidden, QDir::Name);
  bool waitedForUpdater = false;
  for (const QFileInfo& file : files) {
    const QString name = file.fileName();
    if (name.contains(QLatin1String("Freshwell")) && !waitedForUpdater && steps.waitForUpdaterGone) {
      steps.waitForUpdaterGone();
      waitedForUpdater = true;
    }
    const qsizetype cut = name.indexOf(kSuffix);
    if (cut <= 0) continue;
    const QString target = folder.filePath(name.left(cut));
    if (steps.pause) steps.pause();
    // rename(2) replaces the target atomically; deleting it first would leave
    // a window in which the program file is missing.
    if (std::rename(QFile::encodeName(file.filePath()).constData(), QFile::encodeName(target).constData()) != 0) {
      qWarning("pending update: %s stays where it is: %s", qPrintable(name), std::strerror(errno));
      continue;
    }
    replaced << name.left(cut);
  }
  return replaced;
}

}  // namespace lumi::manager
