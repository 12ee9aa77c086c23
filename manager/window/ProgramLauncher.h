#pragma once
// Starting and ending the programs around the manager: the shell and the
// updater from the manager's own folder, the updater watched until it ends,
// and a running shell closed without holding up the user-interface thread
// (remote keys keep flowing while the shell takes its time to go).
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>

#include "manager/core/ProcessEndWatch.h"
#include "platform/desktop/Desktop.h"

namespace lumi::manager {

class ProgramLauncher : public QObject {
  Q_OBJECT

 public:
  static constexpr int kKillGraceMs = 500;
  static constexpr int kCloseTimeoutMs = 10000;
  static constexpr int kClosePollMs = 50;

  // `programFolder` ends in "/"; `shellFile` is "Lumicaster.exe".
  ProgramLauncher(QString programFolder, QString shellFile, desktop::Desktop& desktop = desktop::Desktop::instance(),
                  QObject* parent = nullptr);

  // Opens the shell. False when it is not installed or does not start.
  bool startShell();
  // Opens "Freshwell.exe", with "show" when `visible`, and watches it. False
  // when it is missing or does not start: then nobody will ever say
  // WM_UPDATER_CLOSED either.
  bool startUpdater(bool visible);
  // WM_UPDATER_CLOSED: the running updater has spoken for itself.
  void updaterSaidClosed();
  bool updaterWatched() const { return updater_.watching(); }

  // Ends a running shell as the suite does it (terminate, WM_CLOSE), without
  // waiting on this thread; `then` runs once it is gone, at once when none runs.
  void closeShell(std::function<void()> then);
  bool closingShell() const { return closing_.isActive(); }

 signals:
  // The updater ended without WM_UPDATER_CLOSED (a crash, a kill, an updater
  // that does not know the message).
  void updaterEndedSilently();

 private:
  bool start(const QString& file, const QStringList& arguments, qint64* pid);
  void closeStep();

  QString folder_;
  QString shellFile_;
  desktop::Desktop& desktop_;
  ProcessEndWatch updater_;
  bool updaterSpoke_ = false;

  QTimer closing_;
  desktop::WindowId closingWindow_ = 0;
  qint64 closingPid_ = 0;
  qint64 closingSince_ = 0;
  bool killed_ = false;
  std::vector<std::function<void()>> afterClose_;
};

}  // namespace lumi::manager
