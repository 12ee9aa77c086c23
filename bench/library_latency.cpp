// Measures how the shell answers the remote while a catalogue scan runs: a
// key code sent from another process to the repainted highlight of the movie
// browser's side menu, with a scan of a 200,000-file tree running and with
// none, in the same run (the shell-latency method). Prints medians and 95th
// percentiles; asserts nothing.
//
//   bench_library_latency [keys [folders [files-per-folder]]]
#include <fcntl.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <QtEndian>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "common/suite/PeerWindows.h"
#include "common/suite/SuiteMessages.h"
#include "platform/desktop/X11Desktop.h"
#include "platform/registry/Registry.h"
#include "tests/support/TestPaths.h"
#include "tests/support/XServer.h"

using namespace lumi;

namespace {

double percentile(std::vector<double> v, double p) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[std::min(v.size() - 1, static_cast<size_t>(p * (v.size() - 1) + 0.5))];
}

// The side-menu entry (0-4) that shows the focused (teal) look, -1 when none.
int highlightedSideEntry(xcb_connection_t* c, desktop::WindowId window) {
  int best = -1, bestScore = 40;
  for (int i = 0; i < 5; ++i) {
    xcb_get_image_reply_t* image = xcb_get_image_reply(
        c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, xcb_drawable_t(window), 24, 95 + 50 * i + 22, 1, 1, ~0u),
        nullptr);
    if (!image) continue;
    const std::uint8_t* px = xcb_get_image_data(image);  // blue, green, red, unused
    const int score = int(px[1]) - int(px[2]);
    std::free(image);
    if (score > bestScore) best = i, bestScore = score;
  }
  return best;
}

void makeTree(const QString& root, int folders, int filesPerFolder) {
  for (int f = 0; f < folders; ++f) {
    const QByteArray dir = QFile::encodeName(root + QString("/d%1/f%2").arg(f / 100).arg(f));
    std::filesystem::create_directories(dir.toStdString());
    for (int i = 0; i < filesPerFolder; ++i) {
      const QByteArray name = dir + (i == 0 ? QByteArray("/movie.avi") : "/file" + QByteArray::number(i) + ".dat");
      const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (fd >= 0) ::close(fd);
    }
  }
}

// Whether the progress file says a scan is under way (done below total).
bool scanRunning(const QString& progressFile) {
  QFile f(progressFile);
  if (!f.open(QIODevice::ReadOnly)) return false;
  const QByteArray b = f.read(16);
  if (b.size() != 16) return true;  // just truncated: the scan is starting
  return qFromLittleEndian<qint64>(b.constData() + 8) < qFromLittleEndian<qint64>(b.constData());
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const int keys = argc > 1 ? std::atoi(argv[1]) : 200;
  const int folders = argc > 2 ? std::atoi(argv[2]) : 20000;
  const int perFolder = argc > 3 ? std::atoi(argv[3]) : 10;
  test::PrivateEnvironment env;
  test::XServer server;
  if (!server.ok()) {
    std::fprintf(stderr, "no Xvfb: %s\n", qPrintable(server.error()));
    return 1;
  }
  auto desktop = desktop::X11Desktop::create();
  const QString data = env.file("data") + "/";
  const QString tree = env.file("tree");
  QDir().mkpath(data);
  std::printf("making %d folders with %d files each...\n", folders, perFolder);
  makeTree(tree, folders, perFolder);
  const QString root = "Software\\Quelmar\\Lumicaster";
  registry::Key::create(registry::Root::CurrentUser, root + "\\Client").writeString("Path", data);
  registry::Key::create(registry::Root::CurrentUser, root + "\\Drives").writeString("C", tree);

  const QString program = qEnvironmentVariableIsSet("LUMI_PROGRAM_DIR")
                              ? test::binary("Lumicaster.exe")
                              : QStringLiteral(LUMI_PROGRAM_DIR "/Lumicaster.exe");
  QProcess shell;
  shell.setProcessEnvironment(test::suiteProgramEnvironment());
  shell.start(program, {});
  desktop::WindowId main = 0, browser = 0;
  QElapsedTimer wait;
  wait.start();
  while (!main && wait.elapsed() < 30000) {
    main = suite::FindPeerWindow("LUMICASTER", *desktop);
    QThread::msleep(50);
  }
  QThread::msleep(1000);
  auto key = [&](int code) { desktop->post(main, suite::WM_REMOTE_KEY, code, 0); };
  key(suite::KeyOk);  // "내 컴퓨터"
  QThread::msleep(800);
  key(suite::KeyOk);  // "영 화"
  while (!browser && wait.elapsed() < 60000) {
    browser = suite::FindPeerWindow("Movie", *desktop);
    QThread::msleep(50);
  }
  while (highlightedSideEntry(desktop->connection(), browser) != 0 && wait.elapsed() < 60000) QThread::msleep(20);
  if (!browser) {
    std::fprintf(stderr, "the movie browser did not come up\n");
    return 1;
  }
  const QString progress = data + "Movie/C_Movie2.dat";

  // Down moves round the five side entries; "검 색" is entry 1.
  int focus = 0;
  auto measure = [&](bool withScan) {
    std::vector<double> ms;
    while (int(ms.size()) < keys) {
      if (withScan && focus == 1 && !scanRunning(progress)) {
        key(suite::KeyOk);  // start the scan again; not measured
        QElapsedTimer started;
        started.start();
        while (!scanRunning(progress) && started.elapsed() < 5000) QThread::usleep(500);
      }
      const int expected = (focus + 1) % 5;
      QElapsedTimer timer;
      timer.start();
      key(suite::KeyDown);
      while (highlightedSideEntry(desktop->connection(), browser) != expected && timer.elapsed() < 5000)
        QThread::usleep(200);
      const double elapsed = timer.nsecsElapsed() / 1e6;
      focus = expected;
      // Only keys answered while a scan ran count for the scan side.
      if (!withScan || scanRunning(progress)) ms.push_back(elapsed);
    }
    return ms;
  };
  // A first scan warms the cache for both sides.
  while (focus != 1) {
    key(suite::KeyDown);
    focus = (focus + 1) % 5;
    while (highlightedSideEntry(desktop->connection(), browser) != focus && wait.elapsed() < 90000) QThread::usleep(500);
  }
  key(suite::KeyOk);
  QThread::msleep(300);
  while (scanRunning(progress)) QThread::msleep(50);

  std::vector<double> quiet, scanning;
  for (int round = 0; round < 2; ++round) {
    // Side by side, in turns.
    const std::vector<double> q = measure(false);
    quiet.insert(quiet.end(), q.begin(), q.end());
    const std::vector<double> s = measure(true);
    scanning.insert(scanning.end(), s.begin(), s.end());
    while (scanRunning(progress)) QThread::msleep(50);
  }
  std::printf("key code to repainted side menu, no scan: median %.2f ms, p95 %.2f ms over %zu keys\n",
              percentile(quiet, 0.5), percentile(quiet, 0.95), quiet.size());
  std::printf("key code to repainted side menu, scan of %d files running: median %.2f ms, p95 %.2f ms over %zu keys\n",
              folders * perFolder, percentile(scanning, 0.5), percentile(scanning, 0.95), scanning.size());
  std::printf("p95 difference: %+.2f ms\n", percentile(scanning, 0.95) - percentile(quiet, 0.95));
  shell.kill();
  shell.waitForFinished(5000);
  return 0;
}
