#pragma once
// Replacement copies the updater could not put in place because their file
// was in use: "Freshwell.exe.Update" beside "Freshwell.exe". The manager
// puts them in place at every start and when the updater says some wait.
#include <QString>
#include <QStringList>
#include <functional>

namespace lumi::manager {

struct PendingUpdateSteps {
  // Waits until the updater has ended (before an updater file is replaced).
  std::function<void()> waitForUpdaterGone;
  // The pause before each replacement, so that a program that is just
  // ending lets go of its file.
  std::function<void()> pause;
};

// Puts every "<name>.Update" file of the folder (files only) in place of
// "<name>" (the name up to the first ".Update"). The copy replaces the target
// in one rename, so that a crash in between never leaves the program without
// its file. Returns the targets replaced; failures are logged and skipped.
QStringList ApplyPendingUpdates(const QString& programFolder, const PendingUpdateSteps& steps = {});

}  // namespace lumi::manager
