#include "manager/core/SerialThread.h"

#include "manager/core/RemoteSettings.h"
#include "manager/core/SerialReader.h"

namespace lumi::manager {

CSerialThread::CSerialThread(QObject* parent) : QThread(parent) {}

CSerialThread::~CSerialThread() { stop(); }

void CSerialThread::begin(quint32 currentComPort) {
  stop();
  comPort_ = readOrCreateComPort(currentComPort);
  start(QThread::NormalPriority);
}

void CSerialThread::stop() {
  quit();
  wait();
}

void CSerialThread::setDataTerminalReady(bool on) {
  QMutexLocker lock(&mutex_);
  if (SerialReader* reader = reader_)
    QMetaObject::invokeMethod(reader, [reader, on] { reader->setDataTerminalReady(on); }, Qt::QueuedConnection);
}

void CSerialThread::run() {
  SerialReader reader(comPort_);
  // Relayed from this thread; receivers in the owner's thread get them queued.
  connect(&reader, &SerialReader::opened, this, &CSerialThread::opened, Qt::DirectConnection);
  connect(&reader, &SerialReader::openFailed, this, &CSerialThread::openFailed, Qt::DirectConnection);
  connect(&reader, &SerialReader::remoteKey, this, &CSerialThread::remoteKey, Qt::DirectConnection);
  connect(&reader, &SerialReader::readTaken, this, &CSerialThread::readTaken, Qt::DirectConnection);
  connect(&reader, &SerialReader::ended, &reader, [this] { quit(); }, Qt::DirectConnection);
  {
    QMutexLocker lock(&mutex_);
    reader_ = &reader;
  }
  if (reader.start()) exec();
  {
    QMutexLocker lock(&mutex_);
    reader_ = nullptr;
  }
  reader.stop();
}

}  // namespace lumi::manager
