// Caption timing against the frame clock: a black 320 x 240 movie at 25 fps
// with twenty captions whose starts and ends are not multiples of a frame,
// played to its end at its own pace, every frame looked at as it reaches the
// sink. For each caption: the first frame with caption pixels against the
// first frame at or after its start, and the first frame without them against
// the first frame at or after its end, in frames (signed: + late, - early).
//
// Three runs in the same process, on the same movie and sink:
//   player  the player's mixing path: CaptionClock -> CaptionBarState -> the
//           caption filter "captionblend" as playbin's video filter, the
//           clock slaved to the frame the filter takes next (FramePosition);
//   +5 s    the same with the caption file 5 s late and the sync offset +5 s;
//   shown   the same path with the clock slaved to playbin's position (the
//           frame being shown), which lags the filter by the sink's queue;
//   peer    playbin with the caption file as suburi (subparse + textoverlay).
//
//   bench_caption_timing [folder]   (the movie and caption files are kept there)
#include <gst/gst.h>

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <mutex>
#include <vector>

#include "player/captions/CaptionBarState.h"
#include "player/captions/CaptionClock.h"
#include "player/captions/FramePosition.h"
#include "player/captions/SamiParser.h"

using namespace lumi::player;

namespace {

constexpr int kFrameMs = 40;
constexpr int kCaptions = 20;
constexpr int kFrames = 263;  // 10.52 s

struct Caption {
  std::int64_t startMs, endMs;
};

std::vector<Caption> captions() {
  std::vector<Caption> list;
  for (int i = 0; i < kCaptions; ++i) {
    std::int64_t start = 700 + 450 * i + 13 + (i * 7) % 23;
    std::int64_t end = start + 230 + (i % 3) * 17;
    if (start % kFrameMs == 0) ++start;
    if (end % kFrameMs == 0) ++end;
    list.push_back({start, end});
  }
  return list;
}

QByteArray samiFile(std::int64_t shiftMs) {
  QByteArray out =
      "<SAMI>\r\n<HEAD>\r\n<STYLE TYPE=\"text/css\">\r\n<!--\r\n.KRCC {Name: Korean; lang: ko-KR;}\r\n-->\r\n"
      "</STYLE>\r\n</HEAD>\r\n<BODY>\r\n";
  int i = 0;
  for (const Caption& c : captions()) {
    out += "<SYNC Start=" + QByteArray::number(c.startMs + shiftMs) + "><P Class=KRCC>자막 " +
           QByteArray::number(++i) + "\r\n";
    out += "<SYNC Start=" + QByteArray::number(c.endMs + shiftMs) + "><P Class=KRCC>&nbsp;\r\n";
  }
  return out + "</BODY>\r\n</SAMI>\r\n";
}

struct Frame {
  std::int64_t ptsMs;
  bool caption;
};

struct Capture {
  std::mutex lock;
  std::vector<Frame> frames;
};

// Caption text is white on the black picture: any bright luma byte.
GstPadProbeReturn lookAtFrame(GstPad*, GstPadProbeInfo* info, gpointer data) {
  auto* capture = static_cast<Capture*>(data);
  GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
  GstMapInfo map;
  if (!GST_BUFFER_PTS_IS_VALID(buffer) || !gst_buffer_map(buffer, &map, GST_MAP_READ)) return GST_PAD_PROBE_OK;
  const bool bright = std::any_of(map.data, map.data + map.size, [](guint8 y) { return y > 128; });
  gst_buffer_unmap(buffer, &map);
  std::lock_guard<std::mutex> guard(capture->lock);
  capture->frames.push_back({std::int64_t(GST_BUFFER_PTS(buffer) / GST_MSECOND), bright});
  return GST_PAD_PROBE_OK;
}

enum class Method { Player, PlayerSynced, Shown, Peer };

std::vector<Frame> play(Method method, const QString& movie, const QString& samiPath, QString& error) {
  Capture capture;
  GError* gerror = nullptr;
  GstElement* sink = gst_parse_bin_from_description(
      "videoconvert ! video/x-raw,format=GRAY8 ! fakesink name=capture sync=true", TRUE, &gerror);
  if (!sink) {
    error = QString::fromUtf8(gerror ? gerror->message : "no capture bin");
    return {};
  }
  GstElement* captureSink = gst_bin_get_by_name(GST_BIN(sink), "capture");
  GstPad* pad = gst_element_get_static_pad(captureSink, "sink");
  gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, lookAtFrame, &capture, nullptr);
  gst_object_unref(pad);
  gst_object_unref(captureSink);

  GstElement* playbin = gst_element_factory_make("playbin", nullptr);
  gchar* uri = gst_filename_to_uri(movie.toUtf8().constData(), nullptr);
  g_object_set(playbin, "uri", uri, "video-sink", sink, "audio-sink", gst_element_factory_make("fakesink", nullptr),
               nullptr);
  g_free(uri);

  GstElement* blend = method == Method::Peer ? nullptr : gst_element_factory_make("captionblend", nullptr);
  FramePosition filterFrames(blend);
  auto shownPosition = [playbin]() -> std::int64_t {
    gint64 ns = 0;
    return gst_element_query_position(playbin, GST_FORMAT_TIME, &ns) ? ns / 100 : 0;
  };
  CaptionClock clock([&]() -> std::int64_t {
    const std::int64_t next = filterFrames.nextFrame();
    return method == Method::Shown || next < 0 ? shownPosition() : next;
  });
  CaptionBarState bar;
  if (method == Method::Peer) {
    gchar* suburi = gst_filename_to_uri(samiPath.toUtf8().constData(), nullptr);
    g_object_set(playbin, "suburi", suburi, "flags", 0x1 | 0x4, nullptr);  // video, text
    g_free(suburi);
  } else {
    if (!blend) {
      error = QStringLiteral("no captionblend element");
      gst_object_unref(playbin);
      return {};
    }
    g_object_set(playbin, "video-filter", blend, "flags", 0x1, nullptr);  // video only
    const SamiFile file = loadSamiFile(samiPath);
    clock.setTrack(file.document.streams.at(std::size_t(chooseCaptionStream(file.document))).entries);
    if (method == Method::PlayerSynced) clock.stepSync(5000);
    QObject::connect(&clock, &CaptionClock::captionEvent, &bar,
                     [&bar](const QString& text, qint64) { bar.captionEvent(text); });
    QObject::connect(&bar, &CaptionBarState::shown, [blend](const QString& text) {
      g_object_set(blend, "text", text.toUtf8().constData(), nullptr);
    });
  }

  gst_element_set_state(playbin, GST_STATE_PAUSED);
  gst_element_get_state(playbin, nullptr, nullptr, 10 * GST_SECOND);
  gst_element_set_state(playbin, GST_STATE_PLAYING);
  if (blend) clock.play();

  QEventLoop loop;
  GstBus* bus = gst_element_get_bus(playbin);
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    while (GstMessage* m = gst_bus_pop_filtered(bus, GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR))) {
      if (GST_MESSAGE_TYPE(m) == GST_MESSAGE_ERROR) {
        GError* e = nullptr;
        gst_message_parse_error(m, &e, nullptr);
        error = QString::fromUtf8(e ? e->message : "error");
        if (e) g_error_free(e);
      }
      gst_message_unref(m);
      loop.quit();
    }
  });
  poll.start(5);
  QTimer::singleShot(60000, &loop, [&] {
    error = QStringLiteral("no end after 60 s");
    loop.quit();
  });
  loop.exec();
  gst_object_unref(bus);
  clock.pause();
  gst_element_set_state(playbin, GST_STATE_NULL);
  gst_object_unref(playbin);

  std::lock_guard<std::mutex> guard(capture.lock);
  std::vector<Frame> frames = capture.frames;
  std::sort(frames.begin(), frames.end(), [](const Frame& a, const Frame& b) { return a.ptsMs < b.ptsMs; });
  return frames;
}

struct Errors {
  std::vector<int> start, end;  // in frames, signed
  int missing = 0;
};

// The runs of frames with caption pixels, matched to the captions in order.
Errors judge(const std::vector<Frame>& frames) {
  struct Run {
    std::int64_t first, end;
  };
  std::vector<Run> runs;
  for (std::size_t i = 0; i < frames.size(); ++i) {
    if (!frames[i].caption) continue;
    if (i == 0 || !frames[i - 1].caption) runs.push_back({frames[i].ptsMs / kFrameMs, -1});
    runs.back().end = (i + 1 < frames.size() ? frames[i + 1].ptsMs : frames[i].ptsMs + kFrameMs) / kFrameMs;
  }
  Errors errors;
  auto unused = runs.begin();
  for (const Caption& c : captions()) {
    const std::int64_t wantFirst = (c.startMs + kFrameMs - 1) / kFrameMs;
    const std::int64_t wantEnd = (c.endMs + kFrameMs - 1) / kFrameMs;
    // In order: each run belongs to one caption at most, the nearest one
    // not yet taken by an earlier caption.
    auto near = std::min_element(unused, runs.end(), [&](const Run& a, const Run& b) {
      return std::abs(a.first - wantFirst) < std::abs(b.first - wantFirst);
    });
    if (near == runs.end() || std::abs(near->first - wantFirst) > 8) {
      ++errors.missing;
      continue;
    }
    unused = near + 1;
    errors.start.push_back(int(near->first - wantFirst));
    errors.end.push_back(int(near->end - wantEnd));
  }
  return errors;
}

struct Summary {
  double mean = 0;  // of the absolute errors, frames
  int worst = 0;
  double bias = 0;  // signed mean
};

Summary summarise(const std::vector<int>& e) {
  Summary s;
  if (e.empty()) return s;
  for (int v : e) {
    s.mean += std::abs(v);
    s.bias += v;
    s.worst = std::max(s.worst, std::abs(v));
  }
  s.mean /= double(e.size());
  s.bias /= double(e.size());
  return s;
}

QString makeMovie(const QString& folder) {
  const QString movie = QDir(folder).filePath("black.avi");
  if (QFile::exists(movie)) return movie;
  QProcess p;
  p.start("gst-launch-1.0", {"-q", "-e", "videotestsrc", QStringLiteral("num-buffers=%1").arg(kFrames), "pattern=black",
                             "!", "video/x-raw,width=320,height=240,framerate=25/1", "!", "jpegenc", "!", "avimux",
                             "!", "filesink", "location=" + movie});
  if (!p.waitForFinished(120000) || p.exitCode() != 0) return {};
  return movie;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  gst_init(&argc, &argv);
  const char* dir = std::getenv("LUMI_PROGRAM_DIR");
  const QString module = QString::fromUtf8(dir && *dir ? dir : LUMI_PROGRAM_DIR) + "/CaptionBlend.ax";
  GError* error = nullptr;
  GstPlugin* plugin = gst_plugin_load_file(module.toUtf8().constData(), &error);
  if (!plugin) {
    std::fprintf(stderr, "cannot load %s: %s\n", qPrintable(module), error ? error->message : "");
    return 1;
  }
  gst_object_unref(plugin);

  QTemporaryDir temporary;
  const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : temporary.path();
  QDir().mkpath(folder);
  const QString movie = makeMovie(folder);
  if (movie.isEmpty()) {
    std::fprintf(stderr, "cannot make the movie\n");
    return 1;
  }
  auto writeSami = [&](const QString& name, std::int64_t shift) {
    QFile f(QDir(folder).filePath(name));
    f.open(QIODevice::WriteOnly);
    f.write(samiFile(shift));
    return f.fileName();
  };
  const QString onTime = writeSami("black.smi", 0);
  const QString late = writeSami("late.smi", 5000);

  std::printf("caption timing, %d captions, %d ms frames; errors in frames (+ late, - early)\n", kCaptions, kFrameMs);
  std::printf("%-8s %10s %10s %10s %10s %10s %10s %8s\n", "run", "start mean", "start max", "start bias", "end mean",
              "end max", "end bias", "missing");
  struct Row {
    const char* name;
    Method method;
    QString sami;
    Summary start, end;
  };
  Row rows[] = {{"player", Method::Player, onTime, {}, {}},
                {"+5 s", Method::PlayerSynced, late, {}, {}},
                {"shown", Method::Shown, onTime, {}, {}},
                {"peer", Method::Peer, onTime, {}, {}}};
  for (Row& row : rows) {
    QString failure;
    const std::vector<Frame> frames = play(row.method, movie, row.sami, failure);
    if (!failure.isEmpty()) std::printf("%-8s failed: %s\n", row.name, qPrintable(failure));
    const Errors errors = judge(frames);
    row.start = summarise(errors.start);
    row.end = summarise(errors.end);
    std::printf("%-8s %10.2f %10d %+10.2f %10.2f %10d %+10.2f %8d   (%zu frames)\n", row.name, row.start.mean,
                row.start.worst, row.start.bias, row.end.mean, row.end.worst, row.end.bias, errors.missing,
                frames.size());
  }
  // Ratios of the mean errors; "-" where the peer's mean is 0 (a ratio has no meaning then).
  auto ratio = [](double a, double b) { return b > 0 ? QString::number(a / b, 'f', 2) : QStringLiteral("-"); };
  std::printf("mean error player vs peer: start %.2f vs %.2f frames (ratio %s), end %.2f vs %.2f frames (ratio %s)\n",
              rows[0].start.mean, rows[3].start.mean, qPrintable(ratio(rows[0].start.mean, rows[3].start.mean)),
              rows[0].end.mean, rows[3].end.mean, qPrintable(ratio(rows[0].end.mean, rows[3].end.mean)));
  return 0;
}
