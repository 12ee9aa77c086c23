#pragma once
// Timers known by fixed numbers, as the manager's procedures name them
// (102 polling, 108 pulses, 110 initialisation, 113 identification ...).
// Starting a number that runs restarts it with the new period.
#include <QObject>
#include <map>

class QTimer;

namespace lumi::manager {

class TimerBank : public QObject {
  Q_OBJECT

 public:
  explicit TimerBank(QObject* parent = nullptr);
  ~TimerBank() override;

  void start(int id, int periodMs);
  // False when that timer was not running.
  bool kill(int id);
  void killAll();
  bool isActive(int id) const;
  // The period of a running timer, else 0.
  int period(int id) const;

 signals:
  void timeout(int id);

 private:
  std::map<int, QTimer*> timers_;
};

}  // namespace lumi::manager
