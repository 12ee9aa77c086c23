#pragma once
// The receiver's reader thread, with its own event loop: a SerialReader polls
// the port there and hands every remote code to the owner through queued
// signals, in order. The owner never waits on the thread except in stop().
#include <QMutex>
#include <QThread>

namespace lumi::manager {

class SerialReader;

class CSerialThread : public QThread {
  Q_OBJECT

 public:
  explicit CSerialThread(QObject* parent = nullptr);
  ~CSerialThread() override;

  // Reads "ComPort" (creating it with `currentComPort` when it is missing)
  // and starts the thread; a thread that runs is stopped first.
  void begin(quint32 currentComPort);
  // Stops polling, closes the port and ends the thread. Harmless when the
  // thread never ran or has ended by itself.
  void stop();
  // The index the thread was started with.
  quint32 comPort() const { return comPort_; }
  // DTR of the open port, set in the reader's thread; nothing on a pseudo
  // terminal or when no port is open.
  void setDataTerminalReady(bool on);

 signals:
  void opened();
  // The port could not be opened or was lost (a PortFailure); the thread
  // ends by itself.
  void openFailed(int failure, const QString& device);
  void remoteKey(quint32 code);
  void readTaken(int count, bool decoded);

 protected:
  void run() override;

 private:
  quint32 comPort_ = 0;
  QMutex mutex_;
  SerialReader* reader_ = nullptr;
};

}  // namespace lumi::manager
