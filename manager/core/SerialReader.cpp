#include "manager/core/SerialReader.h"

#include "manager/core/RemoteSettings.h"

namespace lumi::manager {

SerialReader::SerialReader(quint32 comPort, QObject* parent) : QObject(parent), comPort_(comPort) {
  setObjectName(QStringLiteral("SerialThreadWindow"));
  connect(&timers_, &TimerBank::timeout, this, [this](int id) {
    if (id == kPollTimer) poll();
  });
  connect(&port_, &SerialPort::bytesArrived, this, [this] { wake(); });
  connect(&port_, &SerialPort::lost, this, [this] {
    polling_ = false;
    timers_.killAll();
    emit openFailed(int(PortFailure::Lost), port_.device());
    emit ended();
  });
}

SerialReader::~SerialReader() { stop(); }

bool SerialReader::start() {
  port_.model = readRemoteModel(port_.model);
  const int portNumber = comPort_ < quint32(kPortCount) ? int(comPort_) + 1 : 0;
  if (!port_.open(portNumber, lineSettings(port_.model).baud)) {
    port_.close();
    emit openFailed(int(port_.failure()), port_.device());
    return false;
  }
  clock_.start();
  // Bytes that waited before the open are announced like any others.
  polling_ = true;
  emit opened();
  return true;
}

void SerialReader::stop() {
  polling_ = false;
  timers_.killAll();
  port_.close();
}

void SerialReader::wake() {
  if (polling_ && !timers_.isActive(kPollTimer) && port_.waiting() > 0) timers_.start(kPollTimer, kPollPeriodMs);
}

void SerialReader::setDataTerminalReady(bool on) { port_.setDataTerminalReady(on); }

void SerialReader::poll() {
  const qint64 waiting = port_.waiting();
  if (waiting <= 0) {
    // The line is empty: sleep until the port has bytes again.
    settle_.ready(0, port_.model, clock_.elapsed());
    timers_.kill(kPollTimer);
    return;
  }
  if (!settle_.ready(waiting, port_.model, clock_.elapsed())) return;
  buffer_.fill(0);
  const int count = int(port_.read(reinterpret_cast<char*>(buffer_.data()), kReadSize));
  settle_.reset();
  if (count <= 0) return;
  if (!alternation_.admit()) {
    emit readTaken(count, false);
    return;
  }
  // Read again each time, so that a change of model in the settings decodes
  // the next read without reopening (the line keeps the old model's settings).
  port_.model = readRemoteModel(port_.model);
  for (const quint32 code : decodeRead(buffer_, count, port_.model)) emit remoteKey(code);
  emit readTaken(count, true);
}

}  // namespace lumi::manager
