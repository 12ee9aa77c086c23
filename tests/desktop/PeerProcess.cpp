#include "tests/desktop/PeerProcess.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include "tests/support/TestPaths.h"

namespace lumi::test {

PeerProcess::PeerProcess(const QString& title, const QStringList& extra, const QString& logFile) : log_(logFile) {
  process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  // A real X client, whatever platform the test itself runs its widgets on.
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "xcb");
  process_.setProcessEnvironment(env);
  process_.start(binary("suite-test-window"), QStringList{"--window-title", title, "--log", logFile} + extra);
  QElapsedTimer timer;
  timer.start();
  QByteArray output;
  while (timer.elapsed() < 20000 && !output.contains('\n')) {
    if (!process_.waitForReadyRead(200) && process_.state() == QProcess::NotRunning) break;
    output += process_.readAllStandardOutput();
  }
  if (output.startsWith("ready 0x")) window_ = output.mid(8).trimmed().toULongLong(nullptr, 16);
}

PeerProcess::~PeerProcess() {
  if (process_.state() != QProcess::NotRunning) {
    process_.kill();
    process_.waitForFinished(5000);
  }
}

QStringList PeerProcess::logLines() const {
  QFile f(log_);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
}

bool PeerProcess::waitForLog(const QString& prefix, int timeoutMs) const {
  QElapsedTimer timer;
  timer.start();
  do {
    for (const QString& line : logLines())
      if (line.startsWith(prefix)) return true;
    QThread::msleep(20);
  } while (timer.elapsed() < timeoutMs);
  return false;
}

}  // namespace lumi::test
