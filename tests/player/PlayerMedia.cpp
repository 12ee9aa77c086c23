#include "tests/player/PlayerMedia.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace lumi::test {
namespace {

QString video(const char* pattern, int frames, int w = 320, int h = 240, const char* format = nullptr) {
  return QStringLiteral("videotestsrc pattern=%1 num-buffers=%2 ! video/x-raw,width=%3,height=%4,framerate=25/1%5")
      .arg(QLatin1String(pattern))
      .arg(frames)
      .arg(w)
      .arg(h)
      .arg(format ? QStringLiteral(",format=") + QLatin1String(format) : QString());
}

QString audio(int buffers) { return QStringLiteral("audiotestsrc num-buffers=%1").arg(buffers); }

QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// The stream header list of the stream of `type` ("vids" or "auds"): patches
// its strh's handler and its strf's format field.
bool patchStream(QByteArray& bytes, const QByteArray& type, const QByteArray& handler, int formatOffset,
                 const QByteArray& format) {
  const qsizetype kind = bytes.indexOf(type);
  if (kind < 0) return false;
  const qsizetype strf = bytes.indexOf("strf", kind);
  if (strf < 0) return false;
  if (!handler.isEmpty()) bytes.replace(kind + 4, handler.size(), handler);
  bytes.replace(strf + 8 + formatOffset, format.size(), format);
  return true;
}

PlayerMedia make() {
  static QTemporaryDir dir;
  PlayerMedia m;
  m.folder = dir.path();
  auto file = [&](const char* name) { return QDir(m.folder).filePath(QLatin1String(name)); };
  m.mjpegAvi = file("red.avi");
  m.mpeg4Avi = file("mpeg4.avi");
  m.longAvi = file("long.avi");
  m.mpeg1 = file("clip.mpg");
  m.mpeg2AsMpg = file("clip2.mpg");
  m.wmv = file("clip.wmv");
  m.mp3 = file("tone.mp3");
  m.wav = file("tone.wav");
  m.unknownVideoAvi = file("unknown-video.avi");
  m.unknownAudioAvi = file("unknown-audio.avi");
  m.notAMovie = file("notes.avi.txt");
  m.vcdRoot = file("vcd");

  const QString pcm = QStringLiteral("audio/x-raw,format=S16LE,rate=44100,channels=2");
  const struct {
    QString pipeline;
  } jobs[] = {
      {video("red", 75) + " ! jpegenc ! avimux name=m ! filesink location=" + m.mjpegAvi + " " + audio(130) + " ! " +
       pcm + " ! m."},
      {video("red", 300, 160, 120) + " ! jpegenc ! avimux name=m ! filesink location=" + m.longAvi + " " +
       audio(520) + " ! " + pcm + " ! m."},
      {video("smpte", 75) + " ! avenc_mpeg4 bitrate=600000 ! avimux name=m ! filesink location=" + m.mpeg4Avi + " " +
       audio(130) + " ! audioconvert ! lamemp3enc ! mpegaudioparse ! m."},
      {"mplex name=m format=0 ! filesink location=" + m.mpeg1 + " " + video("smpte", 50, 352, 288, "I420") +
       " ! mpeg2enc format=0 ! m. " + audio(90) +
       " ! audio/x-raw,rate=44100,channels=2 ! twolamemp2enc ! m."},
      {"mplex name=m format=3 ! filesink location=" + m.mpeg2AsMpg + " " + video("smpte", 50, 352, 288, "I420") +
       " ! mpeg2enc format=3 ! m. " + audio(90) +
       " ! audio/x-raw,rate=44100,channels=2 ! twolamemp2enc ! m."},
      {video("smpte", 50) + " ! avenc_wmv2 ! asfmux name=m ! filesink location=" + m.wmv + " " + audio(90) +
       " ! audioconvert ! avenc_wmav2 ! m."},
      {audio(90) + " ! audioconvert ! lamemp3enc ! id3v2mux ! filesink location=" + m.mp3},
      {audio(90) + " ! " + pcm + " ! wavenc ! filesink location=" + m.wav},
  };
  for (const auto& job : jobs) {
    const QString error = runPipeline(job.pipeline);
    if (!error.isEmpty()) {
      m.error = error;
      return m;
    }
  }
  // Unknown codecs, deterministically: the stream headers of a real AVI
  // name a FourCC or format tag no decoder knows.
  QByteArray avi = readAll(m.mjpegAvi);
  QByteArray unknownVideo = avi, unknownAudio = avi;
  // strh of the video stream: "strh" size(4) fccType(4) fccHandler(4).
  // strh: fccType "vids", then fccHandler; strf: BITMAPINFOHEADER, biCompression at 16.
  if (!patchStream(unknownVideo, "vids", "ZZZ1", 16, "ZZZ1") || !writeAll(m.unknownVideoAvi, unknownVideo)) {
    m.error = "cannot patch the video FourCC";
    return m;
  }
  // strf of the audio stream: WAVEFORMATEX, wFormatTag first.
  if (!patchStream(unknownAudio, "auds", {}, 0, QByteArray("\x34\x12", 2)) ||
      !writeAll(m.unknownAudioAvi, unknownAudio)) {
    m.error = "cannot patch the audio format tag";
    return m;
  }
  writeAll(m.notAMovie, "just some text, not a movie\n");

  const QString mpegav = QDir(m.vcdRoot).filePath("MPEGAV");
  QDir().mkpath(QDir(mpegav).filePath("X.DAT"));
  writeAll(QDir(mpegav).filePath("NOTES.TXT"), "not a track");
  const char* patterns[] = {"red", "green", "blue"};
  const char* names[] = {"AVSEQ02.DAT", "avseq03.dat", "AVSEQ01.DAT"};
  // Each track has its own colour, so the order of playing shows on screen;
  // AVSEQ01 is red.
  const int colour[] = {1, 2, 0};
  for (int i = 0; i < 3; ++i) {
    const QString error = runPipeline("mplex name=m format=1 ! filesink location=" + QDir(mpegav).filePath(names[i]) +
                                      " " + video(patterns[colour[i]], 25, 352, 288, "I420") +
                                      " ! mpeg2enc format=1 ! m. " + audio(45) +
                                      " ! audio/x-raw,rate=44100,channels=2 ! twolamemp2enc ! m.");
    if (!error.isEmpty()) {
      m.error = error;
      return m;
    }
  }
  return m;
}

}  // namespace

QString runPipeline(const QString& pipeline) {
  QProcess p;
  p.setProcessChannelMode(QProcess::MergedChannels);
  p.start(QStringLiteral("gst-launch-1.0"), QStringList{"-q", "-e"} + QProcess::splitCommand(pipeline));
  if (!p.waitForFinished(120000) || p.exitCode() != 0)
    return QStringLiteral("%1\n%2").arg(pipeline, QString::fromUtf8(p.readAll()));
  return {};
}

const PlayerMedia& playerMedia() {
  static const PlayerMedia media = make();
  return media;
}

}  // namespace lumi::test
