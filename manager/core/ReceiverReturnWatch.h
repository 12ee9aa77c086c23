#pragma once
// An unplugged USB receiver coming back. Once its port failed because the
// device is gone, the path is looked at every second (no hotplug service is
// needed, and a second is far below the time it takes to plug a receiver in);
// when a device is there again, returned() is emitted once.
#include <QObject>
#include <QString>
#include <QTimer>

namespace lumi::manager {

class ReceiverReturnWatch : public QObject {
  Q_OBJECT

 public:
  static constexpr int kLookPeriodMs = 1000;

  explicit ReceiverReturnWatch(QObject* parent = nullptr);

  // Watches `device` when nothing is at that path; a device that is there
  // (busy, no permission, no UART behind it) would not change by waiting.
  // True when watching.
  bool watch(const QString& device);
  void cancel();
  bool watching() const { return timer_.isActive(); }
  QString device() const { return device_; }

 signals:
  void returned();

 private:
  QTimer timer_;
  QString device_;
};

}  // namespace lumi::manager
