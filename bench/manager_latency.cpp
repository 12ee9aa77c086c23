// Measures the manager's key path on a private X server: from the bytes of a
// model A packet written to the receiver's pseudo terminal to WM_REMOTE_KEY
// handled by a suite window in another process, through the real manager's
// reader, dispatcher and message delivery. Prints the median and the 99th
// percentile. First it measures the manager's CPU time while nothing arrives
// on the line, next to an idle suite window's in the same run. Asserts nothing.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "common/suite/PeerWindows.h"
#include "manager/core/RemoteSettings.h"
#include "platform/desktop/X11Desktop.h"
#include "tests/support/TestPaths.h"
#include "tests/support/XServer.h"
#include "tools/virtual-remote/RemoteButtons.h"

using namespace lumi;

namespace {

double percentile(std::vector<double> v, double p) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[std::min(v.size() - 1, static_cast<size_t>(p * (v.size() - 1) + 0.5))];
}

// The test helpers live next to the program folder, in "tests".
QString program(const QString& name) {
  if (qEnvironmentVariableIsSet("LUMI_PROGRAM_DIR")) return test::binary(name);
  const QString inPrograms = QStringLiteral(LUMI_PROGRAM_DIR "/") + name;
  return QFileInfo::exists(inPrograms) ? inPrograms : QStringLiteral(LUMI_PROGRAM_DIR "/../tests/") + name;
}

// The dispatcher asks the identity query first; only the key itself counts.
bool keyLoggedAfter(const QString& log, qint64 offset) {
  QFile f(log);
  if (!f.open(QIODevice::ReadOnly) || f.size() <= offset) return false;
  f.seek(offset);
  return f.readAll().contains("post 0x465 ");
}

// User and system time of a process so far, in seconds.
double cpuSeconds(qint64 pid) {
  QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
  if (!stat.open(QIODevice::ReadOnly)) return 0;
  const QByteArray line = stat.readAll();
  // Fields after the command name, which may hold spaces, in brackets.
  const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
  if (fields.size() < 13) return 0;
  return (fields[11].toDouble() + fields[12].toDouble()) / double(::sysconf(_SC_CLK_TCK));
}

// The manager starts the updater silently once the receiver is connected;
// its window may take the front for a moment. True once none runs.
bool updaterGone(const QString& updaterFile) {
  const QString updater = QFileInfo(updaterFile).canonicalFilePath();
  if (updater.isEmpty()) return true;
  for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
    if (pid.toLongLong() > 0 && QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).canonicalFilePath() == updater)
      return false;
  return true;
}

bool writeAll(int fd, const QByteArray& bytes) {
  return ::write(fd, bytes.constData(), bytes.size()) == bytes.size();
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  const int keys = argc > 1 ? std::atoi(argv[1]) : 1000;
  test::PrivateEnvironment env;
  test::XServer server;
  if (!server.ok()) {
    std::fprintf(stderr, "no Xvfb: %s\n", qPrintable(server.error()));
    return 1;
  }
  auto desktop = desktop::X11Desktop::create();

  int master = -1, slave = -1;
  char name[256] = {};
  if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) return 1;
  termios raw{};
  ::tcgetattr(slave, &raw);
  ::cfmakeraw(&raw);
  ::tcsetattr(slave, TCSANOW, &raw);
  ::close(slave);
  manager::mapPort(1, QString::fromLocal8Bit(name));

  const QProcessEnvironment programEnv = test::suiteProgramEnvironment();
  const QString log = env.file("target.log");
  QProcess target;
  target.setProcessEnvironment(programEnv);
  target.start(program("suite-test-window"), {"--window-title", "Key Target", "--log", log});
  QProcess managerProcess;
  managerProcess.setProcessEnvironment(programEnv);
  managerProcess.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  managerProcess.start(program("Lumicaster Manager.exe"), {});

  QElapsedTimer wait;
  wait.start();
  desktop::WindowId targetWindow = 0, managerWindow = 0;
  pollfd p{master, 0, 0};
  while (wait.elapsed() < 30000) {
    if (!targetWindow) targetWindow = suite::FindPeerWindow("Key Target", *desktop);
    if (!managerWindow) managerWindow = suite::FindPeerWindow("Lumicaster Manager", *desktop);
    p.revents = 0;
    const bool readerOpen = ::poll(&p, 1, 0) >= 0 && !(p.revents & POLLHUP);
    if (targetWindow && managerWindow && readerOpen) break;
    QThread::msleep(20);
  }
  if (!targetWindow || !managerWindow) {
    std::fprintf(stderr, "the manager or the key target did not come up\n");
    return 1;
  }
  while (!updaterGone(program("Freshwell.exe")) && wait.elapsed() < 60000) QThread::msleep(50);
  suite::BringToForeground(targetWindow, *desktop);
  while (desktop->foregroundWindow() != targetWindow && wait.elapsed() < 70000) QThread::msleep(20);

  // Idle: the receiver is open and quiet. The suite window is the peer: an
  // idle Qt program on the same server.
  const int idleSeconds = argc > 2 ? std::atoi(argv[2]) : 10;
  QThread::sleep(1);
  const double managerBefore = cpuSeconds(managerProcess.processId());
  const double peerBefore = cpuSeconds(target.processId());
  QElapsedTimer idle;
  idle.start();
  QThread::sleep(idleSeconds);
  const double wall = idle.nsecsElapsed() / 1e9;
  const double managerIdle = 100 * (cpuSeconds(managerProcess.processId()) - managerBefore) / wall;
  const double peerIdle = 100 * (cpuSeconds(target.processId()) - peerBefore) / wall;
  std::printf("idle CPU over %.1f s with the receiver open and quiet: manager %.3f %% of a core, idle suite window"
              " %.3f %% (ratio %.2f; clock tick %ld Hz)\n",
              wall, managerIdle, peerIdle, peerIdle > 0 ? managerIdle / peerIdle : 0.0, ::sysconf(_SC_CLK_TCK));

  const QByteArray packet = virtualremote::pressFor(manager::RemoteModel::A, "Down")->bytes;
  auto logSize = [&] { return QFileInfo(log).size(); };
  // Lets the manager's first key settle the key target before timing starts.
  writeAll(master, packet);
  QThread::msleep(30);
  writeAll(master, packet);
  QThread::msleep(200);

  std::vector<double> ms;
  int lost = 0;
  for (int k = 0; k < keys; ++k) {
    const qint64 before = logSize();
    QElapsedTimer timer;
    timer.start();
    // The reader decodes every other read: this one is taken ...
    writeAll(master, packet);
    bool handled = false;
    while (!(handled = keyLoggedAfter(log, before)) && timer.elapsed() < 2000) QThread::usleep(100);
    if (!handled) ++lost;
    else ms.push_back(timer.nsecsElapsed() / 1e6);
    // ... and its repetition, as a real receiver sends it, is dropped.
    QThread::msleep(5);
    writeAll(master, packet);
    QThread::msleep(5);
  }
  std::printf("remote packet on the line to WM_REMOTE_KEY in another program: median %.2f ms, p99 %.2f ms over %zu keys"
              " (%d lost)\n",
              percentile(ms, 0.5), percentile(ms, 0.99), ms.size(), lost);

  desktop->post(managerWindow, desktop::WM_CLOSE, 0, 0);
  managerProcess.waitForFinished(10000);
  target.kill();
  target.waitForFinished(5000);
  manager::mapPort(1, {});
  ::close(master);
  return 0;
}
