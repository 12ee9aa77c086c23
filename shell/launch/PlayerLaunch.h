#pragma once
// Starting the movie player "Cinevane.exe" from the data folder with one
// argument ("lst://...", "dvd://...", "vcd://..." or a file), detached.
//
// A window that hides itself while the player runs comes back when the player
// process ends: a player that crashes never sends its closing word, and the
// shell would otherwise be left with a hidden current window taking the keys.
#include <QObject>
#include <QPointer>
#include <QSocketNotifier>
#include <QString>

#include <memory>

class QWidget;

namespace lumi::shell {

class CShellDialog;

// The data folder followed by string 3116 ("Cinevane.exe").
QString PlayerProgram();

// Starts `program` with `parameter` as its one argument; the process id, or 0
// when it could not start (the callers go on all the same).
qint64 LaunchPlayer(const QString& program, const QString& parameter);

// Calls back once when the process ends (pidfd; nothing when it cannot be
// watched).
class ProcessWatch : public QObject {
  Q_OBJECT
 public:
  ProcessWatch(qint64 pid, QObject* parent = nullptr);
  ~ProcessWatch() override;
  bool watching() const { return fd_ >= 0; }
 signals:
  void ended();

 private:
  int fd_ = -1;
  std::unique_ptr<QSocketNotifier> notifier_;
};

// Writes HKCU ROOT "CurrentMonitor": the name of the screen that holds most
// of `window` (the nearest one when none does).
void WriteCurrentMonitor(QWidget* window);

// What every play from a shell window does around the start: a running
// player window is closed, background music stops, the player starts, and
// `hideOwner` hides `owner` until the player process ends (then it is shown
// and made current again unless the player had the shell minimised).
qint64 StartPlayer(CShellDialog* owner, const QString& parameter, bool hideOwner);

}  // namespace lumi::shell
