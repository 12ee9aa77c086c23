// Measures the CPU the movie player spends per frame while playing a 1080p
// MPEG-4 movie with the caption filter in the picture (the mixing method),
// against playbin drawing the movie's SAMI captions with its own text
// overlay, and against playbin decoding alone. All three draw into
// "fakevideosink sync=true", so they work at the movie's pace; CPU is
// utime+stime from /proc over seconds 10-25, divided by the frames of that
// span. Prints µs per frame, the ratio and the peak resident memory.
//
//   bench_player_cpu [media folder]   (the 30-s movie is kept there for the next run)
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <cstdio>
#include <unistd.h>

#include "platform/registry/Registry.h"
#include "tests/support/TestPaths.h"
#include "tests/support/XServer.h"

using namespace lumi;

namespace {

constexpr int kFrom = 10, kTo = 25, kFps = 25;

struct Sample {
  double cpuSeconds = -1;
  long peakKb = 0;
};

double cpuOf(qint64 pid) {
  QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
  if (!f.open(QIODevice::ReadOnly)) return -1;
  const QByteArray line = f.readAll();
  // Fields after the command name, which may hold spaces: ") S ppid ...".
  const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
  if (fields.size() < 13) return -1;
  return (fields[11].toDouble() + fields[12].toDouble()) / double(sysconf(_SC_CLK_TCK));
}

long peakKbOf(qint64 pid) {
  QFile f(QStringLiteral("/proc/%1/status").arg(pid));
  if (!f.open(QIODevice::ReadOnly)) return 0;
  for (const QByteArray& l : f.readAll().split('\n'))
    if (l.startsWith("VmHWM:")) return l.mid(6).trimmed().split(' ').first().toLong();
  return 0;
}

Sample measure(const QString& program, const QStringList& args, const QProcessEnvironment& env) {
  QProcess p;
  p.setProcessEnvironment(env);
  p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  p.setStandardOutputFile(QProcess::nullDevice());
  p.start(program, args);
  if (!p.waitForStarted(10000)) return {};
  QThread::sleep(kFrom);
  const double start = cpuOf(p.processId());
  QThread::sleep(kTo - kFrom);
  Sample s;
  const double end = cpuOf(p.processId());
  if (start >= 0 && end >= 0) s.cpuSeconds = end - start;
  s.peakKb = peakKbOf(p.processId());
  p.kill();
  p.waitForFinished(5000);
  return s;
}

bool run(const QString& pipeline) {
  QProcess p;
  p.setProcessChannelMode(QProcess::ForwardedChannels);
  p.start("gst-launch-1.0", QStringList{"-q", "-e"} + QProcess::splitCommand(pipeline));
  return p.waitForFinished(-1) && p.exitCode() == 0;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  test::PrivateEnvironment env;
  const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::temp().filePath("lumi-bench-media");
  QDir().mkpath(folder);
  const QString movie = QDir(folder).filePath("movie1080.avi");
  const QString captions = QDir(folder).filePath("movie1080.smi");
  if (!QFile::exists(movie)) {
    std::printf("making a 30-s 1080p MPEG-4 movie in %s ...\n", qPrintable(folder));
    std::fflush(stdout);
    if (!run("videotestsrc pattern=smpte num-buffers=750 ! video/x-raw,width=1920,height=1080,framerate=25/1 ! "
             "avenc_mpeg4 bitrate=8000000 ! avimux name=m ! filesink location=" + movie +
             " audiotestsrc num-buffers=1300 ! audio/x-raw,format=S16LE,rate=44100,channels=2 ! m.")) {
      QFile::remove(movie);
      std::fprintf(stderr, "cannot make the movie\n");
      return 1;
    }
  }
  {
    QFile smi(captions);
    smi.open(QIODevice::WriteOnly);
    QByteArray text = "<SAMI><HEAD><STYLE TYPE=\"text/css\"><!--\nP {}\n.KRCC {Name: Korean; lang: ko-KR;}\n--></STYLE>"
                      "</HEAD><BODY>\n";
    for (int ms = 0; ms < 30000; ms += 2000)
      text += QStringLiteral("<SYNC Start=%1><P Class=KRCC>Caption line %2<br>second line\n")
                  .arg(ms)
                  .arg(ms / 2000)
                  .toUtf8();
    text += "</BODY></SAMI>\n";
    smi.write(text);
  }
  test::XServer server;
  if (!server.ok()) {
    std::fprintf(stderr, "no Xvfb: %s\n", qPrintable(server.error()));
    return 1;
  }
  registry::Key::create(registry::Root::CurrentUser, "Software\\Quelmar\\Lumicaster\\Cinevane")
      .writeDWord("bOverlayMode", 0);
  QProcessEnvironment playerEnv = test::suiteProgramEnvironment();
  playerEnv.insert("LUMICASTER_VIDEO_SINK", "fakevideosink sync=true");
  const QString player = qEnvironmentVariableIsSet("LUMI_PROGRAM_DIR") ? test::binary("Cinevane.exe")
                                                                        : QStringLiteral(LUMI_PROGRAM_DIR "/Cinevane.exe");
  const QString uri = "file://" + movie;
  const Sample mine = measure(player, {movie}, playerEnv);
  const Sample peer = measure(
      "gst-launch-1.0",
      {"playbin", "uri=" + uri, "suburi=file://" + captions, "subtitle-font-desc=NanumGothic Bold 48",
       "video-sink=fakevideosink sync=true", "audio-sink=fakeaudiosink"},
      test::suiteProgramEnvironment());
  const Sample decode = measure("gst-launch-1.0",
                                {"playbin", "uri=" + uri, "flags=0x3", "video-sink=fakevideosink sync=true",
                                 "audio-sink=fakeaudiosink"},
                                test::suiteProgramEnvironment());
  const double frames = double((kTo - kFrom) * kFps);
  auto us = [&](const Sample& s) { return s.cpuSeconds * 1e6 / frames; };
  std::printf("CPU per frame, 1920x1080 MPEG-4 at 25 fps, seconds %d-%d (%.0f frames)\n", kFrom, kTo, frames);
  std::printf("  Cinevane.exe, caption filter in the picture  %8.0f us/frame  peak RSS %6ld KiB\n", us(mine), mine.peakKb);
  std::printf("  playbin + SAMI through textoverlay           %8.0f us/frame  peak RSS %6ld KiB\n", us(peer), peer.peakKb);
  std::printf("  playbin decoding only                        %8.0f us/frame  peak RSS %6ld KiB\n", us(decode), decode.peakKb);
  std::printf("  ratio player/peer: %.2f  (target <= 1.0)\n", peer.cpuSeconds > 0 ? mine.cpuSeconds / peer.cpuSeconds : 0.0);
  return 0;
}
