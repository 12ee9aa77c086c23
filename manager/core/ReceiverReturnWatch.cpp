#include "manager/core/ReceiverReturnWatch.h"

#include "manager/core/PortFailure.h"

namespace lumi::manager {

ReceiverReturnWatch::ReceiverReturnWatch(QObject* parent) : QObject(parent) {
  timer_.setInterval(kLookPeriodMs);
  connect(&timer_, &QTimer::timeout, this, [this] {
    if (deviceMissing(device_)) return;
    timer_.stop();
    emit returned();
  });
}

bool ReceiverReturnWatch::watch(const QString& device) {
  device_ = device;
  if (!deviceMissing(device)) {
    timer_.stop();
    return false;
  }
  timer_.start();
  return true;
}

void ReceiverReturnWatch::cancel() { timer_.stop(); }

}  // namespace lumi::manager
