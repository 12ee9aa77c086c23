#include "tests/manager/ManagerTestSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include "manager/core/SerialThread.h"

namespace lumi::test {

PtyLine::PtyLine() {
  int slave = -1;
  char name[256] = {};
  if (::openpty(&master_, &slave, name, nullptr, nullptr) != 0) return;
  // Raw from the start, so that nothing written before the reader sets the
  // line up is translated.
  termios tio {};
  ::tcgetattr(slave, &tio);
  ::cfmakeraw(&tio);
  ::tcsetattr(slave, TCSANOW, &tio);
  ::close(slave);
  path_ = QString::fromLocal8Bit(name);
}

PtyLine::~PtyLine() { closeMaster(); }

bool PtyLine::write(const QByteArray& bytes) {
  return master_ >= 0 && ::write(master_, bytes.constData(), size_t(bytes.size())) == bytes.size();
}

bool PtyLine::readerPresent() const {
  // The master hangs up while nobody has the device end open.
  pollfd p{master_, 0, 0};
  return master_ >= 0 && ::poll(&p, 1, 0) >= 0 && !(p.revents & POLLHUP);
}

void PtyLine::closeMaster() {
  if (master_ >= 0) ::close(master_);
  master_ = -1;
}

bool waitUntil(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::msleep(1);
  }
  return true;
}

ReaderOwner::ReaderOwner(manager::CSerialThread& thread) {
  connect(&thread, &manager::CSerialThread::opened, this, [this] { ++opened; });
  connect(&thread, &manager::CSerialThread::openFailed, this, [this](int failure, const QString& device) {
    ++failed;
    failures.emplace_back(failure, device);
  });
  connect(&thread, &manager::CSerialThread::remoteKey, this, [this](quint32 code) { codes.push_back(code); });
  connect(&thread, &manager::CSerialThread::readTaken, this,
          [this](int count, bool decoded) { reads.emplace_back(count, decoded); });
}

}  // namespace lumi::test
