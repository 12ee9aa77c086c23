#pragma once
// The receiver's serial port: opened with the line settings of one model,
// read without waiting. Lives in the thread that reads it.
#include <QObject>
#include <QString>
#include <memory>

#include "manager/core/PortFailure.h"
#include "manager/core/RemoteModel.h"

class QSerialPort;

namespace lumi::manager {

class SerialPort : public QObject {
  Q_OBJECT

 public:
  explicit SerialPort(QObject* parent = nullptr);
  ~SerialPort() override;

  // The model whose line settings open() applies and whose packets are read.
  RemoteModel model = RemoteModel::A;

  // Opens port number 1..4 (see portDevice()) exclusively, at `baud` and with
  // the rest of the model's line settings. True at once when already open.
  // A pseudo terminal cannot hold seven data bits or control lines, so on one
  // those are left out; a real port that does not take a setting fails.
  bool open(int portNumber, qint32 baud);
  bool openDevice(const QString& device, qint32 baud);
  // True also when nothing was open.
  bool close();
  bool isOpen() const;
  bool isPseudoTerminal() const { return pseudoTerminal_; }
  QString device() const { return device_; }

  // Bytes that wait to be read.
  qint64 waiting() const;
  // Takes up to `maximum` of the waiting bytes; 0 when none wait.
  qint64 read(char* buffer, qint64 maximum);

  // Sets or clears DTR; false on a pseudo terminal, which has no such line.
  bool setDataTerminalReady(bool on);

  // Why the last open() failed, or why the port was lost.
  QString errorText() const { return errorText_; }
  PortFailure failure() const { return failure_; }

 signals:
  // Bytes came in on the line (the port's descriptor became readable).
  void bytesArrived();
  // The device went away while open (unplugged, the far end of a pseudo
  // terminal closed); the port is closed by then.
  void lost(const QString& reason);

 private:
  bool fail(const QString& why, bool noHardware = false);

  std::unique_ptr<QSerialPort> port_;
  QString device_;
  QString errorText_;
  PortFailure failure_ = PortFailure::Busy;
  bool pseudoTerminal_ = false;
};

// True when the device is the far end of a pseudo terminal pair.
bool isPseudoTerminalDevice(const QString& device);

}  // namespace lumi::manager
