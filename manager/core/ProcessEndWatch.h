#pragma once
// The end of another process of this user, noticed on the event loop without
// waiting for it: a pidfd that becomes readable when the process ends (a
// process the manager started detached is not its child to wait for).
#include <QObject>
#include <QTimer>

class QSocketNotifier;

namespace lumi::manager {

class ProcessEndWatch : public QObject {
  Q_OBJECT

 public:
  explicit ProcessEndWatch(QObject* parent = nullptr);
  ~ProcessEndWatch() override;

  // Watches `pid`, replacing any earlier watch. False (and ended() comes at
  // once, from the event loop) when the process is already gone.
  bool watch(qint64 pid);
  void cancel();
  bool watching() const { return pid_ > 0; }
  qint64 pid() const { return pid_; }

 signals:
  void ended(qint64 pid);

 private:
  void check();
  void finish();

  qint64 pid_ = 0;
  int pidfd_ = -1;
  QSocketNotifier* notifier_ = nullptr;
  QTimer fallback_;  // kernels without pidfd_open
};

}  // namespace lumi::manager
