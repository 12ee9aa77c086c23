#pragma once
// Waiting in tests for something another process or the event loop does.
#include <QElapsedTimer>
#include <QThread>

namespace lumi::test {

// Polls `condition` every 20 ms until it holds or `timeoutMs` has passed.
template <typename F>
bool eventually(F condition, int timeoutMs = 10000) {
  QElapsedTimer timer;
  timer.start();
  while (!condition()) {
    if (timer.elapsed() > timeoutMs) return false;
    QThread::msleep(20);
  }
  return true;
}

}  // namespace lumi::test
