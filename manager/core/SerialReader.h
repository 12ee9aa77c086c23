#pragma once
// The reader that lives in the serial thread: opens the port, polls it every
// millisecond and turns what it reads into remote codes.
#include <QElapsedTimer>
#include <QObject>

#include "manager/core/RemoteDecoder.h"
#include "manager/core/SerialPort.h"
#include "manager/core/TimerBank.h"

namespace lumi::manager {

class SerialReader : public QObject {
  Q_OBJECT

 public:
  static constexpr int kPollTimer = 102;
  static constexpr int kPollPeriodMs = 1;

  // `comPort` is the zero-based index of "ComPort": 0 is COM1.
  explicit SerialReader(quint32 comPort, QObject* parent = nullptr);
  ~SerialReader() override;

  // Reads "Remote", opens the port with that model's line settings and starts
  // polling. Emits opened() or openFailed().
  bool start();
  void stop();
  bool isPolling() const { return timers_.isActive(kPollTimer); }
  void setDataTerminalReady(bool on);

 signals:
  void opened();
  // The port could not be opened, or was lost later; polling has ended.
  void openFailed();
  // One decoded remote code.
  void remoteKey(quint32 code);
  // After every non-empty read: its size and whether it was decoded.
  void readTaken(int count, bool decoded);
  // Polling ended by itself (the device went away).
  void ended();

 private:
  void poll();

  quint32 comPort_;
  SerialPort port_;
  TimerBank timers_;
  ReadBuffer buffer_{};
  Alternation alternation_;
  ReadSettle settle_;
  QElapsedTimer clock_;
};

}  // namespace lumi::manager
