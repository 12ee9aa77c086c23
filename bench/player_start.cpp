// Measures "Cinevane.exe" as a viewer sees it, on a private X server: the
// time from starting the program on a local movie to the movie's first
// picture on screen, against gst-play-1.0 drawing the same file with
// ximagesink in the same run. The movie is red, so the first frame is the
// first red pixel. Prints medians, 90th percentiles and the ratio; asserts
// nothing. With LUMICASTER_START_TRACE set, the player prints its start
// steps and this program the start and the first frame of each run, all on
// CLOCK_MONOTONIC, to see where the time goes.
//
//   bench_player_start [starts]
#include <xcb/xcb.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

#include "platform/registry/Registry.h"
#include "tests/support/TestPaths.h"
#include "tests/support/XServer.h"

using namespace lumi;

namespace {

double percentile(std::vector<double> v, double p) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[std::min(v.size() - 1, static_cast<size_t>(p * (v.size() - 1) + 0.5))];
}

quint32 pixel(xcb_connection_t* c, xcb_window_t root, int x, int y) {
  quint32 value = 0;
  xcb_get_image_reply_t* image =
      xcb_get_image_reply(c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, root, x, y, 1, 1, ~0u), nullptr);
  if (image && xcb_get_image_data_length(image) >= 4) std::memcpy(&value, xcb_get_image_data(image), 4);
  free(image);
  return value & 0xFFFFFF;
}

double monotonicMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

bool red(quint32 rgb) { return ((rgb >> 16) & 0xFF) > 200 && ((rgb >> 8) & 0xFF) < 60 && (rgb & 0xFF) < 60; }

// Starts a program and polls one pixel every millisecond until it turns red.
double firstFrameMs(const QString& program, const QStringList& args, const QProcessEnvironment& env,
                    xcb_connection_t* c, xcb_window_t root) {
  while (red(pixel(c, root, 10, 10))) QThread::msleep(5);  // the previous window is gone
  QProcess p;
  p.setProcessEnvironment(env);
  p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  QElapsedTimer timer;
  timer.start();
  p.start(program, args);
  if (qEnvironmentVariableIsSet("LUMICASTER_START_TRACE")) std::fprintf(stderr, "[trace] %.3f started %s\n", monotonicMs(), qPrintable(program));
  double ms = -1;
  while (timer.elapsed() < 30000) {
    if (red(pixel(c, root, 10, 10))) {
      ms = double(timer.nsecsElapsed()) / 1e6;
      if (qEnvironmentVariableIsSet("LUMICASTER_START_TRACE")) std::fprintf(stderr, "[trace] %.3f first frame\n", monotonicMs());
      break;
    }
    QThread::usleep(1000);
  }
  p.kill();
  p.waitForFinished(5000);
  return ms;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const int starts = argc > 1 ? std::atoi(argv[1]) : 10;
  test::PrivateEnvironment env;
  test::XServer server;
  if (!server.ok()) {
    std::fprintf(stderr, "no Xvfb: %s\n", qPrintable(server.error()));
    return 1;
  }
  const QString movie = env.file("red.avi");
  QProcess make;
  make.start("gst-launch-1.0",
             QProcess::splitCommand("-q -e videotestsrc pattern=red num-buffers=250 ! "
                                    "video/x-raw,width=320,height=240,framerate=25/1 ! jpegenc ! avimux name=m ! "
                                    "filesink location=" + movie +
                                    " audiotestsrc num-buffers=430 ! audio/x-raw,format=S16LE,rate=44100,channels=2 ! m."));
  if (!make.waitForFinished(120000) || make.exitCode() != 0) {
    std::fprintf(stderr, "cannot make the movie\n");
    return 1;
  }
  // The user chose captions in the picture: no question about the overlay.
  registry::Key::create(registry::Root::CurrentUser, "Software\\Quelmar\\Lumicaster\\Cinevane")
      .writeDWord("bOverlayMode", 0);

  const QString player = qEnvironmentVariableIsSet("LUMI_PROGRAM_DIR") ? test::binary("Cinevane.exe")
                                                                        : QStringLiteral(LUMI_PROGRAM_DIR "/Cinevane.exe");
  const QProcessEnvironment programEnv = test::suiteProgramEnvironment();
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;

  std::vector<double> playerMs, peerMs;
  // Warm both once (page cache, GStreamer's registry), then alternate.
  firstFrameMs(player, {movie}, programEnv, c, root);
  firstFrameMs("gst-play-1.0", {"--videosink=ximagesink", "--audiosink=fakeaudiosink", "-q", movie}, programEnv, c, root);
  for (int run = 0; run < starts; ++run) {
    const double a = firstFrameMs(player, {movie}, programEnv, c, root);
    const double b = firstFrameMs("gst-play-1.0", {"--videosink=ximagesink", "--audiosink=fakeaudiosink", "-q", movie},
                                  programEnv, c, root);
    if (a >= 0) playerMs.push_back(a);
    if (b >= 0) peerMs.push_back(b);
  }
  xcb_disconnect(c);
  const double playerMedian = percentile(playerMs, 0.5), peerMedian = percentile(peerMs, 0.5);
  std::printf("start to first frame, %d starts each (320x240 MJPEG AVI, Xvfb)\n", starts);
  std::printf("  Cinevane.exe                      median %7.1f ms  p90 %7.1f ms  (%zu frames seen)\n", playerMedian,
              percentile(playerMs, 0.9), playerMs.size());
  std::printf("  gst-play-1.0 --videosink=ximagesink median %7.1f ms  p90 %7.1f ms  (%zu frames seen)\n", peerMedian,
              percentile(peerMs, 0.9), peerMs.size());
  std::printf("  ratio player/peer (median): %.2f  (target <= 1.2)\n", peerMedian > 0 ? playerMedian / peerMedian : 0.0);
  return 0;
}
