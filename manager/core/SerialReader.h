#pragma once
// The reader that lives in the serial thread: opens the port, polls it every
// millisecond while bytes are on the line and turns what it reads into remote
// codes. A quiet line costs nothing: polling (timer 102) sleeps until the
// port's descriptor becomes readable, and runs again until the line is empty.
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
  // True while the port is open (timer 102 runs only while bytes wait).
  bool isPolling() const { return polling_; }
  void setDataTerminalReady(bool on);

 signals:
  void opened();
  // The port could not be opened, or was lost later (PortFailure::Lost);
  // polling has ended. `device` is the path that failed.
  void openFailed(int failure, const QString& device);
  // One decoded remote code.
  void remoteKey(quint32 code);
  // After every non-empty read: its size and whether it was decoded.
  void readTaken(int count, bool decoded);
  // Polling ended by itself (the device went away).
  void ended();

 private:
  void poll();
  void wake();

  quint32 comPort_;
  SerialPort port_;
  TimerBank timers_;
  ReadBuffer buffer_{};
  Alternation alternation_;
  ReadSettle settle_;
  QElapsedTimer clock_;
  bool polling_ = false;
};

}  // namespace lumi::manager
