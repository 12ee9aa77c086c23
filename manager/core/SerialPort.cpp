#include "manager/core/SerialPort.h"

#include <QFile>
#include <QLoggingCategory>
#include <QSerialPort>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>

#include "manager/core/RemoteSettings.h"

Q_LOGGING_CATEGORY(lcSerial, "lumi.manager.serial", QtInfoMsg)

namespace lumi::manager {
namespace {

// How much of the line is kept before the reader takes it (the driver queue
// size of the Windows original).
constexpr qint64 kQueueSize = 10000;

}  // namespace

bool isPseudoTerminalDevice(const QString& device) {
  struct stat st {};
  if (::stat(QFile::encodeName(device).constData(), &st) != 0 || !S_ISCHR(st.st_mode)) return false;
  const unsigned m = major(st.st_rdev);
  // Unix98 pseudo terminal slaves take majors 136-143; 3 is the old BSD style.
  return (m >= 136 && m <= 143) || m == 3;
}

SerialPort::SerialPort(QObject* parent) : QObject(parent) {}

SerialPort::~SerialPort() { close(); }

bool SerialPort::isOpen() const { return port_ && port_->isOpen(); }

bool SerialPort::open(int portNumber, qint32 baud) {
  if (isOpen()) return true;
  const QString device = portDevice(portNumber);
  if (device.isEmpty()) {
    device_.clear();
    return fail(QStringLiteral("%1 is not a port").arg(portName(portNumber)));
  }
  return openDevice(device, baud);
}

bool SerialPort::openDevice(const QString& device, qint32 baud) {
  if (isOpen()) return true;
  device_ = device;
  errorText_.clear();
  pseudoTerminal_ = isPseudoTerminalDevice(device);
  const LineSettings line = lineSettings(model);
  const int dataBits = pseudoTerminal_ ? 8 : line.dataBits;

  port_ = std::make_unique<QSerialPort>();
  port_->setPortName(device);
  port_->setBaudRate(baud);
  port_->setDataBits(QSerialPort::DataBits(dataBits));
  // Model A leaves these to the driver in the Windows original, whose
  // defaults are exactly these; a Linux tty's own defaults would keep XON/XOFF
  // on and swallow the bytes 0x11 and 0x13 of a packet.
  port_->setParity(QSerialPort::NoParity);
  port_->setStopBits(QSerialPort::OneStop);
  port_->setFlowControl(QSerialPort::NoFlowControl);
  port_->setReadBufferSize(kQueueSize);
  // Qt takes the lock file and TIOCEXCL, so a port in use by another program fails here.
  if (!port_->open(QIODevice::ReadWrite)) {
    // Qt reports a missing UART behind /dev/ttySn (EIO) as a resource error.
    const QSerialPort::SerialPortError error = port_->error();
    return fail(port_->errorString(),
                error == QSerialPort::DeviceNotFoundError || error == QSerialPort::ResourceError);
  }

  if (!pseudoTerminal_) {
    // A driver may take a data size it cannot do and quietly keep another (a
    // pseudo terminal does just that); the receiver would then read garbage.
    termios tio {};
    const tcflag_t want = dataBits == 7 ? CS7 : CS8;
    if (::tcgetattr(int(port_->handle()), &tio) != 0 || (tio.c_cflag & CSIZE) != want)
      return fail(QStringLiteral("the port does not hold %1 data bits").arg(dataBits));
    if (line.holdControlLines && (!port_->setDataTerminalReady(true) || !port_->setRequestToSend(true)))
      return fail(port_->errorString());
  }

  connect(port_.get(), &QSerialPort::readyRead, this, &SerialPort::bytesArrived);
  connect(port_.get(), &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError error) {
    // A vanished device shows as a read or resource error, and the port's
    // notifier would keep firing on the hung-up line: close at once.
    if (error != QSerialPort::ResourceError && error != QSerialPort::ReadError) return;
    errorText_ = QStringLiteral("the device stopped answering (%1)").arg(port_->errorString());
    failure_ = PortFailure::Lost;
    qCWarning(lcSerial, "%s lost: %s", qPrintable(device_), qPrintable(errorText_));
    // The port is still inside its own notification: close it, delete it later.
    port_->disconnect(this);
    port_->close();
    port_.release()->deleteLater();
    emit lost(errorText_);
  });
  qCDebug(lcSerial, "%s open at %d baud, %d data bits%s", qPrintable(device_), baud, dataBits,
          pseudoTerminal_ ? " (pseudo terminal)" : "");
  return true;
}

bool SerialPort::fail(const QString& why, bool noHardware) {
  errorText_ = why;
  failure_ = classifyOpenFailure(openFacts(device_, noHardware));
  qCWarning(lcSerial, "cannot open %s: %s", qPrintable(device_), qPrintable(why));
  port_.reset();
  return false;
}

bool SerialPort::close() {
  port_.reset();
  return true;
}

qint64 SerialPort::waiting() const { return isOpen() ? port_->bytesAvailable() : 0; }

qint64 SerialPort::read(char* buffer, qint64 maximum) {
  const qint64 count = qMin(waiting(), maximum);
  if (count <= 0) return 0;
  return qMax<qint64>(port_->read(buffer, count), 0);
}

bool SerialPort::setDataTerminalReady(bool on) {
  if (!isOpen() || pseudoTerminal_) return false;
  return port_->setDataTerminalReady(on);
}

}  // namespace lumi::manager
