#pragma once
// Installing what the update server delivered into the download folder
// ("Update" in the program folder), apart from any window. Runs on a worker
// thread; reports progress through a callback.
//
// Unpacking: every top-level file whose upper-case name contains ".ZIP" is
// extracted into the download folder (SafeUnzip) and deleted; the four
// known archive names set the flags of what must be stopped or left for the
// manager.
//
// Installing is staged, so that a failure or a kill never leaves a program
// file half written, and a failure before the commit changes nothing:
//  1. every top-level file of the download folder is copied to a temporary
//     file beside its target in the program folder (flushed to disk);
//  2. only when all are staged, each temporary file is renamed over its
//     target: one atomic step per file, so every program file is always
//     either its old or its new version;
//  3. the download folder is removed.
// The target of a downloaded file is the program file whose name matches
// ignoring case (its spelling kept), else the same name. A target that this
// process itself has mapped (the updater's own program file, the resource
// library it loaded) is not replaced under it: its new version becomes
// "<name>.Update", which the manager puts in place once the updater has
// ended.
#include <QString>
#include <QStringList>

#include <functional>

namespace lumi::updater {

struct UpdateFlags {
  bool pendingRename = false;  // files wait as ".Update" copies for the manager
  bool stopShell = false;
  bool stopManager = false;
};

// Flags an archive name sets, from its upper-case form.
UpdateFlags FlagsForArchive(const QString& archiveName);

struct InstallProgress {
  QString fileName;  // the archive or file at work; empty: labels cleared
  int filePercent = 0;
  int totalPercent = 0;
};
using ProgressCallback = std::function<void(const InstallProgress&)>;

struct UnpackResult {
  UpdateFlags flags;
  // Archives that could not be opened ("Open failed"); deleted all the same.
  QStringList failedArchives;
};

UnpackResult UnpackUpdate(const QString& downloadFolder, const ProgressCallback& progress = {});

// True when a file is mapped into this process (so it must not be replaced
// while it runs).
bool MappedByThisProcess(const QString& path);

struct InstallResult {
  bool ok = false;
  QString error;
  QStringList replaced;  // program file names replaced in place
  QStringList pending;   // "<name>.Update" copies left for the manager
};

struct InstallOptions {
  std::function<bool(const QString& path)> inUse = MappedByThisProcess;
  // Called between the staging and the commit, and after each commit
  // rename (tests use it to stop the installation at a chosen point).
  std::function<void(const QString& step)> checkpoint;
};

InstallResult InstallUpdate(const QString& downloadFolder, const QString& programFolder,
                            const ProgressCallback& progress = {}, const InstallOptions& options = {});

// Removes temporary files an interrupted installation left in the program
// folder.
void RemoveInstallLeftovers(const QString& programFolder);

}  // namespace lumi::updater
