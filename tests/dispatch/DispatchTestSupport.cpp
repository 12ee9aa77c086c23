#include "tests/dispatch/DispatchTestSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include "tests/support/TestPaths.h"

namespace lumi::test {

bool eventually(const std::function<bool()>& condition, int timeoutMs) {
  QElapsedTimer timer;
  timer.start();
  while (!condition()) {
    if (timer.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::msleep(2);
  }
  return true;
}

void settle(int ms) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < ms) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::msleep(2);
  }
}

Recorder::Recorder(const QString& title, QPoint at, const QString& logFile, const QStringList& icons) : log_(logFile) {
  process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  QStringList args{"--title", title, "--log", logFile, "--at", QStringLiteral("%1,%2").arg(at.x()).arg(at.y())};
  for (const QString& icon : icons) args << "--icon" << icon;
  process_.start(binary("input-recorder"), args);
  QElapsedTimer timer;
  timer.start();
  QByteArray output;
  while (timer.elapsed() < 10000 && !output.contains('\n')) {
    if (!process_.waitForReadyRead(100) && process_.state() == QProcess::NotRunning) break;
    output += process_.readAllStandardOutput();
  }
  if (output.startsWith("ready 0x")) window_ = output.mid(8).trimmed().toULongLong(nullptr, 16);
}

Recorder::~Recorder() {
  process_.kill();
  process_.waitForFinished(5000);
}

QStringList Recorder::lines() const {
  QFile f(log_);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
}

QStringList Recorder::waitForLines(int from, int count, int timeoutMs) const {
  QStringList got;
  eventually(
      [&] {
        got = lines().mid(from);
        return got.size() >= count;
      },
      timeoutMs);
  return got;
}

}  // namespace lumi::test
