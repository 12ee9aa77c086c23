#include "manager/core/TimerBank.h"

#include <QTimer>

namespace lumi::manager {

TimerBank::TimerBank(QObject* parent) : QObject(parent) {}

TimerBank::~TimerBank() { killAll(); }

void TimerBank::start(int id, int periodMs) {
  QTimer*& timer = timers_[id];
  if (!timer) {
    timer = new QTimer(this);
    // Coarse timers may stretch a 1 ms period to several; polling relies on it.
    timer->setTimerType(Qt::PreciseTimer);
    connect(timer, &QTimer::timeout, this, [this, id] { emit timeout(id); });
  }
  timer->start(periodMs);
}

namespace {
// A timer is often killed from its own tick; it goes once that tick is over.
void dispose(QTimer* timer) {
  timer->stop();
  timer->disconnect();
  timer->deleteLater();
}
}  // namespace

bool TimerBank::kill(int id) {
  const auto it = timers_.find(id);
  if (it == timers_.end()) return false;
  const bool wasActive = it->second->isActive();
  dispose(it->second);
  timers_.erase(it);
  return wasActive;
}

void TimerBank::killAll() {
  for (auto& [id, timer] : timers_) dispose(timer);
  timers_.clear();
}

bool TimerBank::isActive(int id) const {
  const auto it = timers_.find(id);
  return it != timers_.end() && it->second->isActive();
}

int TimerBank::period(int id) const { return isActive(id) ? timers_.at(id)->interval() : 0; }

}  // namespace lumi::manager
