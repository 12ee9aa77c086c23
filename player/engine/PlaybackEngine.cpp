#include "player/engine/PlaybackEngine.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPointer>
#include <QSocketNotifier>
#include <QStringList>
#include <QTime>
#include <gst/gst.h>
#include <gst/pbutils/missing-plugins.h>
#include <gst/video/colorbalance.h>
#include <gst/video/videooverlay.h>
#include <algorithm>
#include <cstdio>

#include "filter/com/ICaptionBlend.h"
#include "filter/com/InprocServer.h"
#include "platform/text/StringTable.h"
#include "player/core/MovieFiles.h"
#include "player/core/StartTrace.h"
#include "player/core/TimeText.h"
#include "player/core/VolumeCurve.h"

namespace lumi::player {

using namespace lumi::com;

namespace {

// playbin's flags: video, audio, software volume and the video filter even
// where the sink could do without it; no subtitles (the player draws its
// own), no visualisation, no software colour balance (a sink without colour
// controls has none, as the overlay-less renderer had none).
constexpr guint kFlagVideo = 0x1;
constexpr guint kFlagAudio = 0x2;
constexpr guint kFlagSoftVolume = 0x10;
constexpr guint kFlagForceFilters = 0x800;

constexpr std::int64_t kSecond = 10000000;  // in 100 ns
constexpr int kPrerollLimitMs = 15000;       // a network stream may take its time

const char* kRendererName = "Video Renderer";
const char* kOverlayName = "Overlay Mixer";
const char* kCaptionBlendName = "Caption Blend";

void diagnostic(const QString& text) {
  std::fprintf(stderr, "%s\n", text.toUtf8().constData());
  std::fflush(stderr);
}

GstElement* makeSink(const QString& description, const char* name) {
  GError* error = nullptr;
  GstElement* sink = nullptr;
  if (description.contains(u'!') || description.contains(u' '))
    sink = gst_parse_bin_from_description(description.toUtf8().constData(), TRUE, &error);
  else
    sink = gst_element_factory_make(description.toUtf8().constData(), nullptr);
  if (!sink) {
    diagnostic(QStringLiteral("cannot make the sink \"%1\": %2").arg(description, error ? error->message : "no such element"));
    g_clear_error(&error);
    return nullptr;
  }
  gst_object_set_name(GST_OBJECT(sink), name);
  return sink;
}

// The element of a sink (or sink bin) that offers an interface.
GstElement* withInterface(GstElement* sink, GType type) {
  if (G_TYPE_CHECK_INSTANCE_TYPE(sink, type)) return GST_ELEMENT(gst_object_ref(sink));
  if (GST_IS_BIN(sink)) return gst_bin_get_by_interface(GST_BIN(sink), type);
  return nullptr;
}

bool isInside(GstObject* object, GstElement* container) {
  for (GstObject* o = object; o; o = GST_OBJECT_PARENT(o))
    if (o == GST_OBJECT(container)) return true;
  return false;
}

QString uriFor(const QString& path) {
  // "mmsh" streams are HTTP underneath; other "mms" forms have no source here.
  if (path.startsWith(QLatin1String("mmsh://"), Qt::CaseInsensitive)) return QStringLiteral("http://") + path.mid(7);
  if (path.contains(QLatin1String("://"))) return path;
  gchar* uri = gst_filename_to_uri(QFile::encodeName(path).constData(), nullptr);
  const QString out = uri ? QString::fromUtf8(uri) : QString();
  g_free(uri);
  return out;
}

}  // namespace

// The registration entry points of the caption filter's module, and the
// promise to unregister on every way out of opening: the class is registered
// only while a movie is being built.
class PlaybackEngine::FilterRegistration {
 public:
  explicit FilterRegistration(std::string module) : module_(std::move(module)) {
    callRegistrationEntry(module_, "DllRegisterServer");
  }
  ~FilterRegistration() { callRegistrationEntry(module_, "DllUnregisterServer"); }

 private:
  std::string module_;
};

struct PlaybackEngine::Outcome {
  bool videoConnected = false;
  bool missingVideo = false;
  bool missingAudio = false;
};

PlaybackEngine::PlaybackEngine(PlaybackUi& ui, QString programFolder, QObject* parent)
    : QObject(parent), ui_(ui), programFolder_(std::move(programFolder)) {
  if (!gst_is_initialized()) gst_init(nullptr, nullptr);
}

PlaybackEngine::~PlaybackEngine() { teardown(); }

HRESULT PlaybackEngine::Open(const QString& moviePath, const EngineOptions& options) {
  if (!(pending_ && pendingPath_ == moviePath && pendingOptions_ == options)) {
    Close();
    const HRESULT started = startOpen(moviePath, options, true);
    if (failed(started)) return started;
  }
  pending_ = false;
  return finishOpen();
}

bool PlaybackEngine::BeginOpen(const QString& moviePath, const EngineOptions& options) {
  Close();
  if (const HRESULT hr = startOpen(moviePath, options, false); failed(hr)) {
    diagnostic(QStringLiteral("[early] no early start: 0x%1").arg(quint32(hr), 8, 16, QChar(u'0')));
    return false;
  }
  pending_ = true;
  pendingPath_ = moviePath;
  pendingOptions_ = options;
  return true;
}

// Registers and creates the filter, assembles the pipeline and sets it
// prerolling; the preroll goes on in GStreamer's threads.
HRESULT PlaybackEngine::startOpen(const QString& moviePath, const EngineOptions& options, bool report) {
  path = moviePath;
  captionPath = CaptionPathFor(moviePath);
  const QString found = FindCaptionFile(moviePath);
  captionFileExists = !found.isEmpty();
  if (captionFileExists) captionPath = found;

  StartTrace("open");
  registration_ = std::make_unique<FilterRegistration>(
      QDir(programFolder_).filePath(QStringLiteral("CaptionBlend.ax")).toStdString());
  StartTrace("registered");
  if (!createCaptionBlend()) {
    teardown();
    path.clear();
    if (report) ui_.showMessage(283);
    return REGDB_E_CLASSNOTREG;
  }
  QString failure;
  const HRESULT hr = assemble(options, failure);
  if (failed(hr)) {
    teardown();
    path.clear();
    if (report && !failure.isEmpty()) ui_.showText(failure);
    return hr;
  }
  StartTrace("pipeline made");
  startPreroll(true);
  return S_OK;
}

// Waits for the preroll, judges it, and unregisters the filter whatever came
// of it.
HRESULT PlaybackEngine::finishOpen() {
  const HRESULT hr = complete();
  registration_.reset();
  if (failed(hr)) {
    teardown();
    path.clear();
    return hr;
  }
  graphState = Stopped;
  emit durationKnown(duration / kSecond);
  applyAttenuation(-1000);
  emit volumeSet(-1000);
  return hr;
}

bool PlaybackEngine::createCaptionBlend() {
  void* object = nullptr;
  if (failed(createInstance(CLSID_CaptionBlend, IID_IBaseFilter, &object)) || !object) return false;
  captionBlendFilter_ = static_cast<IBaseFilter*>(object);
  void* blend = nullptr;
  if (failed(captionBlendFilter_->QueryInterface(IID_ICaptionBlend, &blend))) {
    releaseCaptionBlend();
    return false;
  }
  captionBlend_ = static_cast<ICaptionBlend*>(blend);
  return true;
}

ICaptionBlend* PlaybackEngine::captionBlend() const {
  return mixingMode && playbin_ ? captionBlend_ : nullptr;
}

GstElement* PlaybackEngine::captionBlendElement() const {
  if (!mixingMode || !playbin_ || !captionBlendFilter_) return nullptr;
  GstElement* blend = nullptr;
  captionBlendFilter_->GetElement(&blend);
  return blend;
}

void PlaybackEngine::releaseCaptionBlend() {
  if (captionBlend_) captionBlend_->Release();
  if (captionBlendFilter_) captionBlendFilter_->Release();
  captionBlend_ = nullptr;
  captionBlendFilter_ = nullptr;
}

GstElement* PlaybackEngine::makeVideoSink(bool overlay) {
  QString description = qEnvironmentVariable(overlay ? "LUMICASTER_OVERLAY_SINK" : "LUMICASTER_VIDEO_SINK");
  if (description.isEmpty()) description = QString::fromLatin1(overlay ? "xvimagesink" : "ximagesink");
  GstElement* sink = makeSink(description, overlay ? kOverlayName : kRendererName);
  if (!sink) return nullptr;
  // The window places the picture itself and keeps the input to itself.
  for (GstElement* e : {sink}) {
    if (g_object_class_find_property(G_OBJECT_GET_CLASS(e), "force-aspect-ratio"))
      g_object_set(e, "force-aspect-ratio", FALSE, nullptr);
    if (g_object_class_find_property(G_OBJECT_GET_CLASS(e), "handle-events"))
      g_object_set(e, "handle-events", FALSE, nullptr);
  }
  if (overlay && g_object_class_find_property(G_OBJECT_GET_CLASS(sink), "colorkey"))
    g_object_set(sink, "colorkey", 0x040404, "autopaint-colorkey", FALSE, nullptr);
  return sink;
}

// The overlay sink is usable when it can open its device (Xv on this display).
bool PlaybackEngine::probeOverlaySink(GstElement* sink) {
  const GstStateChangeReturn r = gst_element_set_state(sink, GST_STATE_READY);
  gst_element_set_state(sink, GST_STATE_NULL);
  return r != GST_STATE_CHANGE_FAILURE;
}

HRESULT PlaybackEngine::assemble(const EngineOptions& options, QString& failure) {
  playbin_ = gst_element_factory_make("playbin", "cinevane-av");
  if (!playbin_) {
    failure = QStringLiteral("CLSID_VideoRenderer : Video Renderer is not installed.");
    return E_FAIL;
  }
  gst_object_ref_sink(playbin_);
  bus_ = gst_element_get_bus(playbin_);
  const QString uri = uriFor(path);
  g_object_set(playbin_, "uri", uri.toUtf8().constData(), nullptr);

  QString audio = qEnvironmentVariable("LUMICASTER_AUDIO_SINK");
  if (audio.isEmpty()) audio = QStringLiteral("autoaudiosink");
  if (GstElement* sink = makeSink(audio, "Audio Renderer")) g_object_set(playbin_, "audio-sink", sink, nullptr);

  // Below the top acceleration level, or when the user chose captions in the
  // picture, the overlay is never tried.
  forced_ = options.accelLevel != 3 || !options.overlayMode;
  overlayUsable = false;
  if (!forced_) {
    if (GstElement* overlaySink = makeVideoSink(true)) {
      gst_object_ref_sink(overlaySink);
      overlayUsable = probeOverlaySink(overlaySink);
      if (overlayUsable) videoSink_ = overlaySink;
      else gst_object_unref(overlaySink);
    }
  }
  mixingMode = forced_ || !overlayUsable;
  overlayMode = !mixingMode;
  if (mixingMode) {
    videoSink_ = makeVideoSink(false);
    if (!videoSink_) {
      failure = QStringLiteral("CLSID_VideoRenderer : Video Renderer is not installed.");
      return E_FAIL;
    }
    gst_object_ref_sink(videoSink_);
    GstElement* blend = nullptr;
    captionBlendFilter_->GetElement(&blend);
    gst_object_set_name(GST_OBJECT(blend), kCaptionBlendName);
    g_object_set(playbin_, "video-filter", blend, nullptr);
  }
  g_object_set(playbin_, "video-sink", videoSink_, nullptr);
  if (const quintptr window = ui_.videoWindow()) {
    if (GstElement* overlay = withInterface(videoSink_, GST_TYPE_VIDEO_OVERLAY)) {
      gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(overlay), guintptr(window));
      gst_object_unref(overlay);
    }
  }

  return S_OK;
}

HRESULT PlaybackEngine::complete() {
  Outcome outcome;
  HRESULT hr = awaitPreroll(true, outcome);
  StartTrace("prerolled");
  if (hr != S_OK) {
    hr = judge(hr, outcome);
    if (failed(hr)) return hr;
  }
  readStreamInfo();
  colorKey = overlayMode ? 0x040404 : 0;
  // The overlay cannot show captions and the menu: they go into the picture.
  if (mixingMode && !forced_ && videoStreams_ > 0) ui_.showMessage(297, 298);
  if (GstElement* b = withInterface(videoSink_, GST_TYPE_COLOR_BALANCE)) {
    balance_ = b;
    int* defaults[] = {&defaultBrightness, &defaultContrast, &defaultSaturation};
    const char* names[] = {"BRIGHTNESS", "CONTRAST", "SATURATION"};
    const int maxima[] = {10000, 20000, 20000};
    for (const GList* l = gst_color_balance_list_channels(GST_COLOR_BALANCE(b)); l; l = l->next) {
      auto* channel = GST_COLOR_BALANCE_CHANNEL(l->data);
      for (int i = 0; i < 3; ++i)
        if (g_strrstr(channel->label, names[i]))
          *defaults[i] = ToCurveRange(gst_color_balance_get_value(GST_COLOR_BALANCE(b), channel), channel->min_value,
                                      channel->max_value, maxima[i]);
    }
  }
  GST_DEBUG_BIN_TO_DOT_FILE(GST_BIN(playbin_), GST_DEBUG_GRAPH_SHOW_ALL, "cinevane-av");
  if (gchar* dot = gst_debug_bin_to_dot_data(GST_BIN(playbin_), GST_DEBUG_GRAPH_SHOW_ALL)) {
    dump_ = QString::fromUtf8(dot);
    g_free(dot);
  }
  watchBus();
  StartTrace("built");
  emit built();
  return S_OK;
}

// Prerolls the pipeline and reads what became of it from the bus: errors by
// their domain and element, decoders GStreamer reported missing.
HRESULT PlaybackEngine::render(bool withAudio, Outcome& outcome) {
  startPreroll(withAudio);
  return awaitPreroll(withAudio, outcome);
}

void PlaybackEngine::startPreroll(bool withAudio) {
  gst_element_set_state(playbin_, GST_STATE_NULL);
  gst_bus_set_flushing(bus_, TRUE);
  gst_bus_set_flushing(bus_, FALSE);
  guint flags = kFlagVideo | kFlagSoftVolume | kFlagForceFilters | (withAudio ? kFlagAudio : 0);
  g_object_set(playbin_, "flags", flags, nullptr);
  gst_element_set_state(playbin_, GST_STATE_PAUSED);
}

HRESULT PlaybackEngine::awaitPreroll(bool withAudio, Outcome& outcome) {
  outcome = {};
  HRESULT result = S_OK;
  bool finished = false;
  QElapsedTimer waited;
  waited.start();
  while (!finished) {
    const qint64 left = kPrerollLimitMs - waited.elapsed();
    if (left <= 0) {
      result = E_ABORT;
      break;
    }
    GstMessage* m = gst_bus_timed_pop_filtered(
        bus_, GstClockTime(left) * GST_MSECOND,
        GstMessageType(GST_MESSAGE_ERROR | GST_MESSAGE_ASYNC_DONE | GST_MESSAGE_ELEMENT));
    if (!m) continue;
    switch (GST_MESSAGE_TYPE(m)) {
      case GST_MESSAGE_ELEMENT:
        if (gst_is_missing_plugin_message(m)) {
          const GstStructure* s = gst_message_get_structure(m);
          const GValue* detail = gst_structure_get_value(s, "detail");
          QString what;
          if (detail && GST_VALUE_HOLDS_CAPS(detail)) {
            const GstCaps* caps = gst_value_get_caps(detail);
            if (gst_caps_get_size(caps) > 0) what = QString::fromUtf8(gst_structure_get_name(gst_caps_get_structure(caps, 0)));
          }
          diagnostic(QStringLiteral("missing decoder: %1").arg(what));
          if (what.startsWith(QLatin1String("video/"))) outcome.missingVideo = true;
          else if (what.startsWith(QLatin1String("audio/"))) outcome.missingAudio = true;
        }
        break;
      case GST_MESSAGE_ASYNC_DONE:
        finished = true;
        break;
      case GST_MESSAGE_ERROR: {
        GError* error = nullptr;
        gchar* debug = nullptr;
        gst_message_parse_error(m, &error, &debug);
        diagnostic(QStringLiteral("render error from %1: %2").arg(QString::fromUtf8(GST_OBJECT_NAME(GST_MESSAGE_SRC(m))),
                                                                   QString::fromUtf8(error->message)));
        GstElement* audioSink = nullptr;
        g_object_get(playbin_, "audio-sink", &audioSink, nullptr);
        if (audioSink && isInside(GST_MESSAGE_SRC(m), audioSink)) result = VFW_S_AUDIO_NOT_RENDERED;
        else if (isInside(GST_MESSAGE_SRC(m), videoSink_)) result = VFW_S_VIDEO_NOT_RENDERED;
        else if (error->domain == GST_RESOURCE_ERROR &&
                 (error->code == GST_RESOURCE_ERROR_NOT_FOUND || error->code == GST_RESOURCE_ERROR_OPEN_READ ||
                  error->code == GST_RESOURCE_ERROR_OPEN_READ_WRITE))
          result = VFW_E_NOT_FOUND;
        else if (error->domain == GST_STREAM_ERROR && error->code == GST_STREAM_ERROR_TYPE_NOT_FOUND)
          result = VFW_E_UNKNOWN_FILE_TYPE;
        else if (error->domain == GST_STREAM_ERROR && error->code == GST_STREAM_ERROR_CODEC_NOT_FOUND)
          result = VFW_E_NO_ACCEPTABLE_TYPES;
        else if (error->domain == GST_STREAM_ERROR &&
                 (error->code == GST_STREAM_ERROR_DEMUX || error->code == GST_STREAM_ERROR_FORMAT ||
                  error->code == GST_STREAM_ERROR_DECODE || error->code == GST_STREAM_ERROR_WRONG_TYPE))
          result = VFW_E_UNSUPPORTED_STREAM;
        else if (error->domain == GST_CORE_ERROR && error->code == GST_CORE_ERROR_MISSING_PLUGIN)
          result = (outcome.missingVideo || outcome.missingAudio) ? VFW_E_NO_ACCEPTABLE_TYPES
                                                                   : VFW_E_CANNOT_LOAD_SOURCE_FILTER;
        else
          result = E_FAIL;
        if (audioSink) gst_object_unref(audioSink);
        g_clear_error(&error);
        g_free(debug);
        finished = true;
        break;
      }
      default:
        break;
    }
    gst_message_unref(m);
  }
  gint videos = 0, audios = 0;
  g_object_get(playbin_, "n-video", &videos, "n-audio", &audios, nullptr);
  outcome.videoConnected = videos > 0;
  if (!withAudio) outcome.missingAudio = false;
  if (result == S_OK && (outcome.missingVideo || outcome.missingAudio)) {
    const bool somethingPlays = videos > 0 || audios > 0;
    result = somethingPlays ? VFW_S_PARTIAL_RENDER : VFW_E_NO_ACCEPTABLE_TYPES;
  } else if (result == S_OK && videos == 0 && audios == 0) {
    result = VFW_E_CANNOT_RENDER;
  }
  if (result != S_OK) diagnostic(QStringLiteral("render result 0x%1").arg(quint32(result), 8, 16, QChar(u'0')));
  return result;
}

HRESULT PlaybackEngine::judge(HRESULT result, const Outcome& outcome) {
  using K = RenderReaction::Kind;
  const QString type = FileTypeOf(path);
  const RenderReaction reaction = ReactionToRender(result, outcome.videoConnected, type, path);
  const CodecNames names = CodecNamesFor(type);
  Outcome again;
  // The second render after a codec download is judged alone.
  auto afterDownload = [&](bool video) -> HRESULT {
    const HRESULT second = render(true, again);
    if (second == S_OK) return S_OK;
    if (second == VFW_S_AUDIO_NOT_RENDERED) {
      ui_.showMessage(287, 288);
      return render(false, again) == S_OK ? S_OK : E_FAIL;
    }
    ui_.showMessage(290, video ? 289 : 292);
    ui_.quit(1);
    return E_ABORT;
  };
  auto quit = [&]() {
    ui_.quit(1);
    return E_ABORT;
  };
  switch (reaction.kind) {
    case K::Continue:
      return S_OK;
    case K::AskVideoCodec:
      if (ui_.ask(286, {names.videoName}) && ui_.downloadCodecs(true, names.videoTag, 0, {}, path))
        return afterDownload(true);
      return quit();
    case K::AskAudioCodec:
      if (ui_.ask(291, {names.audioName}) && ui_.downloadCodecs(false, {}, 2, names.audioCode, path))
        return afterDownload(false);
      // Without the codec the picture plays without sound.
      return render(false, again) == S_OK ? S_OK : quit();
    case K::AskBothCodecs:
      if (ui_.ask(296, {names.videoName, names.audioName}) &&
          ui_.downloadCodecs(true, names.videoTag, 2, names.audioCode, path))
        return afterDownload(true);
      return quit();
    case K::NoSound:
      ui_.showMessage(287, 288);
      return render(false, again) == S_OK ? S_OK : quit();
    case K::NamedBox:
      ui_.showText(reaction.name);
      return result;
    case K::UnknownError:
      ui_.showText(QStringLiteral("UNKNOWN ERROR."));
      return quit();
    case K::Quit:
      ui_.showMessage(reaction.first, reaction.second);
      return quit();
  }
  return E_FAIL;
}

void PlaybackEngine::readStreamInfo() {
  gint64 d = 0;
  duration = gst_element_query_duration(playbin_, GST_FORMAT_TIME, &d) && d > 0 ? d / 100 : 0;
  videoWidth = videoHeight = 0;
  auto sizeFrom = [&](GstPad* pad) {
    if (!pad) return false;
    GstCaps* caps = gst_pad_get_current_caps(pad);
    gst_object_unref(pad);
    if (!caps) return false;
    const GstStructure* s = gst_caps_get_structure(caps, 0);
    int w = 0, h = 0;
    const bool ok = gst_structure_get_int(s, "width", &w) && gst_structure_get_int(s, "height", &h);
    if (ok) {
      videoWidth = w;
      videoHeight = h;
    }
    gst_caps_unref(caps);
    return ok;
  };
  gint videos = 0;
  g_object_get(playbin_, "n-video", &videos, nullptr);
  // The decoder's size, as the stream gives it; the renderer's input when the
  // stream's pad has not settled its caps.
  for (gint i = 0; i < videos && !videoWidth; ++i) {
    GstPad* pad = nullptr;
    g_signal_emit_by_name(playbin_, "get-video-pad", i, &pad);
    sizeFrom(pad);
  }
  if (!videoWidth && videos > 0 && videoSink_) sizeFrom(gst_element_get_static_pad(videoSink_, "sink"));
  videoStreams_ = videos;
  // Some containers (ASF) finish prerolling before the picture's format is
  // settled: the size then follows when the stream's caps arrive.
  if (!videoWidth && videos > 0 && !sizePad_) {
    g_signal_emit_by_name(playbin_, "get-video-pad", 0, &sizePad_);
    if (sizePad_)
      sizeHandler_ = g_signal_connect(sizePad_, "notify::caps", G_CALLBACK(+[](GObject*, GParamSpec*, gpointer self) {
        auto* engine = static_cast<PlaybackEngine*>(self);
        QMetaObject::invokeMethod(engine, &PlaybackEngine::videoCapsArrived, Qt::QueuedConnection);
      }), this);
  }
  diagnostic(QStringLiteral("[build] %1 video streams, picture %2x%3").arg(videos).arg(videoWidth).arg(videoHeight));
}

void PlaybackEngine::videoCapsArrived() {
  if (!playbin_ || hasVideo()) return;
  readStreamInfo();
  if (hasVideo()) emit videoSizeChanged(videoSize());
}

void PlaybackEngine::VideoWindowMoved() {
  if (!videoSink_) return;
  if (GstElement* overlay = withInterface(videoSink_, GST_TYPE_VIDEO_OVERLAY)) {
    gst_video_overlay_expose(GST_VIDEO_OVERLAY(overlay));
    // A sink that draws at its window's size asks for pictures of the new size.
    if (GstPad* pad = gst_element_get_static_pad(overlay, "sink")) {
      gst_pad_push_event(pad, gst_event_new_reconfigure());
      gst_object_unref(pad);
    }
    gst_object_unref(overlay);
  }
}

void PlaybackEngine::forgetSizePad() {
  if (sizePad_) {
    g_signal_handler_disconnect(sizePad_, sizeHandler_);
    gst_object_unref(sizePad_);
  }
  sizePad_ = nullptr;
  sizeHandler_ = 0;
}

QString PlaybackEngine::pipelineDescription() const { return dump_; }

HRESULT PlaybackEngine::Run() {
  if (!playbin_) return E_FAIL;
  if (gst_element_set_state(playbin_, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) return E_FAIL;
  graphState = Running;
  emit transportChanged();
  return S_OK;
}

void PlaybackEngine::Pause() {
  if (!playbin_) return;
  if (gst_element_set_state(playbin_, GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE) {
    ui_.showText(QStringLiteral("Can't pause."));
    return;
  }
  graphState = Paused;
  emit transportChanged();
}

void PlaybackEngine::PausePlay() {
  if (graphState == Running) {
    Pause();
  } else if (failed(Run())) {
    ui_.showText(QStringLiteral("Can't play."));
  }
}

void PlaybackEngine::Stop() {
  if (!playbin_ || (graphState != Running && graphState != Paused)) return;
  gst_element_set_state(playbin_, GST_STATE_PAUSED);
  rate_ = 1.0;
  seekTo100ns(0);
  graphState = Stopped;
  emit transportChanged();
}

void PlaybackEngine::Close() {
  teardown();
  path.clear();
  graphState = NoGraph;
  captionSyncMs = 0;
  rate_ = 1.0;
}

void PlaybackEngine::teardown() {
  if (playbin_) emit closing();
  pending_ = false;
  forgetSizePad();
  delete busNotifier_;
  busNotifier_ = nullptr;
  if (playbin_) gst_element_set_state(playbin_, GST_STATE_NULL);
  if (balance_) gst_object_unref(balance_);
  balance_ = nullptr;
  if (videoSink_) gst_object_unref(videoSink_);
  videoSink_ = nullptr;
  releaseCaptionBlend();
  registration_.reset();
  if (bus_) {
    gst_bus_set_flushing(bus_, TRUE);
    gst_object_unref(bus_);
  }
  bus_ = nullptr;
  if (playbin_) gst_object_unref(playbin_);
  playbin_ = nullptr;
  graphState = NoGraph;
  videoWidth = videoHeight = 0;
  videoStreams_ = 0;
  duration = 0;
}

std::int64_t PlaybackEngine::CurrentPosition() const {
  gint64 p = 0;
  if (!playbin_ || !gst_element_query_position(playbin_, GST_FORMAT_TIME, &p) || p < 0) return 0;
  return p / 100;
}

void PlaybackEngine::seekTo100ns(std::int64_t target) {
  if (!playbin_) return;
  // A time before the start would wrap into a huge one and jump to the end.
  target = std::max<std::int64_t>(target, 0);
  diagnostic(QStringLiteral("[seek] %1 ms").arg(target / 10000));
  gst_element_seek(playbin_, rate_, GST_FORMAT_TIME, GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE),
                   GST_SEEK_TYPE_SET, GstClockTime(target) * 100, GST_SEEK_TYPE_NONE, GST_CLOCK_TIME_NONE);
  emit seeked();
}

void PlaybackEngine::SeekStep(bool forward) {
  const std::int64_t now = CurrentPosition();
  const std::int64_t target = forward ? std::min(now + 10 * kSecond, duration) : std::max<std::int64_t>(now - 10 * kSecond, 0);
  seekTo100ns(target);
}

void PlaybackEngine::SeekRelative(std::int64_t ms) { seekTo100ns(CurrentPosition() + ms * 10000); }

void PlaybackEngine::SeekTo(std::int64_t seconds) { seekTo100ns(seconds * kSecond); }

void PlaybackEngine::SeekFraction(int which) {
  const std::int64_t targets[] = {0, duration / 2, duration};
  if (which < 0 || which > 2) return;
  seekTo100ns(targets[which]);
  emit status(text::str(273 + which));
}

bool PlaybackEngine::SetRate(double rate) {
  if (!playbin_) return false;
  const gint64 now = CurrentPosition() * 100;
  const bool ok = gst_element_seek(playbin_, rate, GST_FORMAT_TIME,
                                   GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE), GST_SEEK_TYPE_SET, now,
                                   GST_SEEK_TYPE_NONE, GST_CLOCK_TIME_NONE);
  if (!ok) {
    ui_.showMessage(301);
    return false;
  }
  rate_ = rate;
  emit transportChanged();
  emit seeked();
  return true;
}

void PlaybackEngine::applyAttenuation(int att) {
  attenuation = att;
  if (playbin_) g_object_set(playbin_, "volume", LinearVolume(att), nullptr);
}

void PlaybackEngine::SetVolume(int v) {
  volume = ClampVolume(v);
  // A volume change while muted is heard: it ends the mute, or the next mute
  // would bring back a stale level instead of muting.
  muted = false;
  applyAttenuation(AttenuationForVolume(volume));
  emit volumeSet(attenuation);
}

void PlaybackEngine::ToggleMute() {
  if (!muted) {
    savedVolume = attenuation;
    applyAttenuation(kSilence);
    muted = true;
  } else {
    applyAttenuation(savedVolume);
    muted = false;
  }
}

void PlaybackEngine::SetColorControls(int brightness, int contrast, int saturation) {
  if (!balance_) return;
  const char* names[] = {"BRIGHTNESS", "CONTRAST", "SATURATION"};
  const int settings[] = {brightness, contrast, saturation};
  const int defaults[] = {defaultBrightness, defaultContrast, defaultSaturation};
  const int maxima[] = {10000, 20000, 20000};
  for (const GList* l = gst_color_balance_list_channels(GST_COLOR_BALANCE(balance_)); l; l = l->next) {
    auto* channel = GST_COLOR_BALANCE_CHANNEL(l->data);
    for (int i = 0; i < 3; ++i) {
      if (!g_strrstr(channel->label, names[i])) continue;
      const int value = ColorControlValue(settings[i], defaults[i], maxima[i]);
      gst_color_balance_set_value(GST_COLOR_BALANCE(balance_), channel,
                                  FromCurveRange(value, channel->min_value, channel->max_value, maxima[i]));
    }
  }
}

QString PlaybackEngine::GetTimeText(int kind) const {
  const qint64 elapsed = CurrentPosition() / kSecond, total = duration / kSecond;
  switch (kind) {
    case 0: return ClockText(text::str(303), QTime::currentTime());
    case 1: return ElapsedText(text::str(304), elapsed, total);
    case 2: return RemainingText(text::str(305), elapsed, total);
    default: return {};
  }
}

QString PlaybackEngine::BarTimeText() const {
  return player::BarTimeText(CurrentPosition() / kSecond, duration / kSecond);
}

void PlaybackEngine::watchBus() {
  GPollFD pollFd{};
  gst_bus_get_pollfd(bus_, &pollFd);
  busNotifier_ = new QSocketNotifier(pollFd.fd, QSocketNotifier::Read, this);
  connect(busNotifier_, &QSocketNotifier::activated, this, &PlaybackEngine::drainBus);
  // Messages may already wait; the descriptor only signals new ones.
  QMetaObject::invokeMethod(this, &PlaybackEngine::drainBus, Qt::QueuedConnection);
}

void PlaybackEngine::drainBus() {
  QPointer<PlaybackEngine> self(this);
  while (self && bus_) {
    GstMessage* message = gst_bus_pop(bus_);
    if (!message) break;
    handleMessage(message);
    gst_message_unref(message);
  }
}

void PlaybackEngine::handleMessage(GstMessage* message) {
  switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_EOS:
      emit endOfMovie();
      break;
    case GST_MESSAGE_ERROR: {
      GError* error = nullptr;
      gst_message_parse_error(message, &error, nullptr);
      const QString text = error ? QString::fromUtf8(error->message) : QString();
      g_clear_error(&error);
      diagnostic(QStringLiteral("playback error: %1").arg(text));
      emit playbackError(text);
      break;
    }
    case GST_MESSAGE_DURATION_CHANGED: {
      gint64 d = 0;
      if (playbin_ && gst_element_query_duration(playbin_, GST_FORMAT_TIME, &d) && d > 0 && d / 100 != duration) {
        duration = d / 100;
        emit durationKnown(duration / kSecond);
      }
      break;
    }
    default:
      break;
  }
}

}  // namespace lumi::player
