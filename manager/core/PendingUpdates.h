#pragma once
// Replacement copies the updater could not put in place because their file
// was in use: "Freshwell.exe.Update" beside "Freshwell.exe". The manager
// puts them in place at every start and when the updater says some wait.
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>

#include "manager/core/ProcessEndWatch.h"

namespace lumi::manager {

struct PendingUpdateSteps {
  // Waits until the updater has ended (before an updater file is replaced).
  std::function<void()> waitForUpdaterGone;
  // The pause before each replacement, so that a program that is just
  // ending lets go of its file.
  std::function<void()> pause;
};

// The "<name>.Update" files of the folder (files only, with a name before
// ".Update"), in name order.
QStringList PendingUpdateFiles(const QString& programFolder);
// Puts one copy in place of "<name>" (the name up to the first ".Update") in
// one rename, so that a crash in between never leaves the program without
// its file. The target's name, or empty when the rename failed (logged).
QString ApplyPendingUpdate(const QString& programFolder, const QString& updateFile);

// Every copy of the folder put in place; returns the targets replaced.
QStringList ApplyPendingUpdates(const QString& programFolder, const PendingUpdateSteps& steps = {});

// The same on the event loop, for a program that must keep answering while
// it waits for the updater to end and pauses before each replacement.
class PendingUpdateRun : public QObject {
  Q_OBJECT

 public:
  static constexpr int kUpdaterWaitMs = 30000;
  static constexpr int kPauseMs = 2000;

  // `updaterProcess` names the running updater's process (0: none runs).
  explicit PendingUpdateRun(std::function<qint64()> updaterProcess, int pauseMs = kPauseMs, QObject* parent = nullptr);

  // Starts a run, or adds `then` to the one that runs. `then` runs when the
  // run is over (at once when nothing waits).
  void start(const QString& programFolder, std::function<void()> then = {});
  bool running() const { return running_; }
  bool waitingForUpdater() const { return updater_.watching(); }
  QStringList replaced() const { return replaced_; }

 private:
  void next();
  void finish();

  std::function<qint64()> updaterProcess_;
  int pauseMs_;
  QString folder_;
  QStringList files_;
  QStringList replaced_;
  bool running_ = false;
  bool waitedForUpdater_ = false;
  ProcessEndWatch updater_;
  QTimer timer_;
  std::vector<std::function<void()>> then_;
};

}  // namespace lumi::manager
