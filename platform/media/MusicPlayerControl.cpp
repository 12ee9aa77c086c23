#include "platform/media/MusicPlayerControl.h"

#include <gst/gst.h>

#include <QFileInfo>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <QUrl>
#include <QtDebug>

#include <algorithm>
#include <cmath>

namespace lumi::media {

namespace {

// playbin's GstPlayFlags: audio through its own volume element, nothing else.
constexpr guint kPlayFlagAudio = 1u << 1;
constexpr guint kPlayFlagSoftVolume = 1u << 4;

bool gstreamerReady() {
  static const bool ready = [] {
    GError* error = nullptr;
    const bool ok = gst_init_check(nullptr, nullptr, &error);
    if (error) {
      qWarning("music control: GStreamer unavailable: %s", error->message);
      g_error_free(error);
    }
    return ok;
  }();
  return ready;
}

GstElement* makeSink(const QString& description) {
  const QByteArray text = description.trimmed().toUtf8();
  if (text.isEmpty()) return nullptr;
  GstElement* sink = nullptr;
  if (text.contains(' ') || text.contains('!')) {
    GError* error = nullptr;
    sink = gst_parse_bin_from_description(text.constData(), TRUE, &error);
    if (error) {
      qWarning("music control: audio sink \"%s\": %s", text.constData(), error->message);
      g_error_free(error);
    }
  } else {
    sink = gst_element_factory_make(text.constData(), nullptr);
    if (!sink) qWarning("music control: no audio sink element \"%s\"", text.constData());
  }
  return sink;
}

// A name with a scheme ("file://", "http://") is a URI as it stands;
// anything else is a host path, relative ones to the working folder.
QByteArray uriFor(const QString& name) {
  const QByteArray utf8 = name.toUtf8();
  if (name.contains(QLatin1String("://")) && gst_uri_is_valid(utf8.constData())) return utf8;
  return QUrl::fromLocalFile(QFileInfo(name).absoluteFilePath()).toEncoded();
}

constexpr double kNanosecond = 1e-9;

}  // namespace

MusicPlayerControl::MusicPlayerControl(QObject* parent) : QObject(parent) { init({}); }

MusicPlayerControl::MusicPlayerControl(const MusicPlayerOptions& options, QObject* parent) : QObject(parent) {
  init(options);
}

void MusicPlayerControl::init(const MusicPlayerOptions& options) {
  if (!gstreamerReady()) return;
  GstElement* playbin = gst_element_factory_make("playbin", "music-control");
  if (!playbin) {
    qWarning("music control: no playbin element");
    return;
  }
  playbin_ = GST_ELEMENT(gst_object_ref_sink(playbin));
  g_object_set(playbin_, "flags", kPlayFlagAudio | kPlayFlagSoftVolume, nullptr);

  QString sinkDescription = options.audioSink;
  if (sinkDescription.isEmpty()) sinkDescription = qEnvironmentVariable("LUMICASTER_AUDIO_SINK");
  if (sinkDescription.isEmpty()) sinkDescription = QStringLiteral("autoaudiosink");
  if (GstElement* sink = makeSink(sinkDescription)) g_object_set(playbin_, "audio-sink", sink, nullptr);

  bus_ = gst_element_get_bus(playbin_);
  GPollFD pollFd{};
  gst_bus_get_pollfd(bus_, &pollFd);
  busNotifier_ = new QSocketNotifier(pollFd.fd, QSocketNotifier::Read, this);
  connect(busNotifier_, &QSocketNotifier::activated, this, &MusicPlayerControl::drainBus);

  setVolume(volume_);
  setMute(mute_);
}

MusicPlayerControl::~MusicPlayerControl() {
  delete busNotifier_;
  busNotifier_ = nullptr;
  if (playbin_) {
    gst_element_set_state(playbin_, GST_STATE_NULL);
    gst_object_unref(playbin_);
  }
  if (bus_) {
    gst_bus_set_flushing(bus_, TRUE);
    gst_object_unref(bus_);
  }
}

void MusicPlayerControl::Open(const QString& fileName) {
  const std::uint64_t generation = ++generation_;
  fileName_ = fileName;
  closeStream();
  if (generation != generation_ || fileName.isEmpty()) return;

  // Errors found here are told from the event loop, as those from the bus are.
  if (!playbin_) {
    QTimer::singleShot(0, this, [this, generation] {
      if (generation == generation_) emit errorOccurred(QStringLiteral("GStreamer playbin is not available"));
    });
    return;
  }

  const QByteArray uri = uriFor(fileName);
  g_object_set(playbin_, "uri", uri.constData(), nullptr);
  wantPlaying_ = true;
  setOpenState(OpenOpening);
  if (generation != generation_) return;

  if (gst_element_set_state(playbin_, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
    // The element that failed has normally put its reason on the bus; the
    // fallback text is for the rare one that does not.
    startFailed_ = true;
    QTimer::singleShot(0, this, [this, generation] {
      drainBus();
      if (generation == generation_ && startFailed_) handleError(QStringLiteral("Could not open \"%1\"").arg(fileName_));
    });
  }
}

void MusicPlayerControl::Play() {
  if (!playbin_ || openState_ == OpenClosed) return;
  wantPlaying_ = true;
  gst_element_set_state(playbin_, GST_STATE_PLAYING);
}

void MusicPlayerControl::Pause() {
  if (!playbin_ || openState_ == OpenClosed) return;
  wantPlaying_ = false;
  gst_element_set_state(playbin_, GST_STATE_PAUSED);
  if (playState_ == PlayPlaying || playState_ == PlayWaiting) setPlayState(PlayPaused);
}

void MusicPlayerControl::Stop() {
  if (!playbin_ || openState_ == OpenClosed) return;
  wantPlaying_ = false;
  gst_element_set_state(playbin_, GST_STATE_PAUSED);
  seekTo(0.0);
  if (playState_ != PlayStopped) setPlayState(PlayStopped);
}

double MusicPlayerControl::CurrentPosition() const {
  if (pendingSeek_ >= 0.0) return pendingSeek_;
  if (!playbin_ || openState_ != OpenOpen) return 0.0;
  gint64 position = 0;
  if (!gst_element_query_position(playbin_, GST_FORMAT_TIME, &position) || position < 0) return 0.0;
  const double seconds = position * kNanosecond;
  return duration_ > 0.0 ? std::min(seconds, duration_) : seconds;
}

void MusicPlayerControl::setCurrentPosition(double seconds) {
  if (!playbin_ || openState_ == OpenClosed) return;
  seekTo(seconds);
}

void MusicPlayerControl::seekTo(double seconds) {
  if (!std::isfinite(seconds) || seconds < 0.0) seconds = 0.0;
  if (duration_ > 0.0) seconds = std::min(seconds, duration_);
  if (openState_ != OpenOpen) {
    pendingSeek_ = seconds;
    return;
  }
  const gint64 target = gint64(std::llround(seconds * 1e9));
  if (gst_element_seek_simple(playbin_, GST_FORMAT_TIME, GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE),
                              target)) {
    pendingSeek_ = seconds;
    seekInFlight_ = true;
  }
}

void MusicPlayerControl::setVolume(int hundredthsOfDecibel) {
  volume_ = clampLevel(hundredthsOfDecibel);
  if (playbin_) g_object_set(playbin_, "volume", linearVolume(volume_), nullptr);
}

void MusicPlayerControl::setMute(bool mute) {
  mute_ = mute;
  if (playbin_) g_object_set(playbin_, "mute", gboolean(mute), nullptr);
}

double MusicPlayerControl::appliedLinearVolume() const {
  gdouble volume = -1.0;
  if (playbin_) g_object_get(playbin_, "volume", &volume, nullptr);
  return volume;
}

bool MusicPlayerControl::appliedMute() const {
  gboolean mute = FALSE;
  if (playbin_) g_object_get(playbin_, "mute", &mute, nullptr);
  return mute;
}

QString MusicPlayerControl::audioSinkName() const {
  if (!playbin_) return {};
  GstElement* sink = nullptr;
  g_object_get(playbin_, "audio-sink", &sink, nullptr);
  if (!sink) return {};
  GstElementFactory* factory = gst_element_get_factory(sink);
  const QString name = factory ? QString::fromUtf8(gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(factory)))
                               : QStringLiteral("bin");
  gst_object_unref(sink);
  return name;
}

void MusicPlayerControl::drainBus() {
  QPointer<MusicPlayerControl> self(this);
  while (self && bus_) {
    GstMessage* message = gst_bus_pop(bus_);
    if (!message) break;
    handleMessage(message);
    gst_message_unref(message);
  }
}

void MusicPlayerControl::handleMessage(GstMessage* message) {
  const bool fromPlaybin = GST_MESSAGE_SRC(message) == GST_OBJECT(playbin_);
  switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_ERROR: {
      GError* error = nullptr;
      gchar* debug = nullptr;
      gst_message_parse_error(message, &error, &debug);
      const QString text = QString::fromUtf8(error ? error->message : "unknown error");
      qWarning("music control: %s (%s): %s", qPrintable(fileName_), qPrintable(text), debug ? debug : "");
      if (error) g_error_free(error);
      g_free(debug);
      handleError(text);
      break;
    }
    case GST_MESSAGE_EOS:
      if (openState_ == OpenOpen) handleEnd();
      break;
    case GST_MESSAGE_ASYNC_DONE:
      if (!fromPlaybin) break;
      if (openState_ == OpenOpening) {
        handleStarted();
      } else if (seekInFlight_) {
        seekInFlight_ = false;
        pendingSeek_ = -1.0;
      }
      break;
    case GST_MESSAGE_STATE_CHANGED: {
      if (!fromPlaybin) break;
      GstState oldState, newState, pending;
      gst_message_parse_state_changed(message, &oldState, &newState, &pending);
      if (newState != GST_STATE_PLAYING) break;
      if (openState_ == OpenOpening) {
        const std::uint64_t generation = generation_;
        handleStarted();
        if (generation != generation_) break;
      }
      if (wantPlaying_ && openState_ == OpenOpen && playState_ != PlayPlaying) setPlayState(PlayPlaying);
      break;
    }
    case GST_MESSAGE_DURATION_CHANGED:
      refreshDuration();
      break;
    default:
      break;
  }
}

void MusicPlayerControl::handleStarted() {
  const std::uint64_t generation = generation_;
  startFailed_ = false;
  refreshDuration();
  setOpenState(OpenOpen);
  if (generation != generation_) return;
  if (pendingSeek_ >= 0.0) {
    const double target = pendingSeek_;
    pendingSeek_ = -1.0;
    seekTo(target);
  }
}

void MusicPlayerControl::handleEnd() {
  // Rewound before anyone hears of the end, so that a handler that opens the
  // next file finds nothing of this one left to undo.
  wantPlaying_ = false;
  gst_element_set_state(playbin_, GST_STATE_PAUSED);
  seekTo(0.0);
  const std::uint64_t generation = generation_;
  if (playState_ != PlayStopped) setPlayState(PlayStopped);
  if (generation != generation_) return;
  emit endOfStream(0);
}

void MusicPlayerControl::handleError(const QString& description) {
  const std::uint64_t generation = generation_;
  closeStream();
  if (generation != generation_) return;
  emit errorOccurred(description);
}

void MusicPlayerControl::closeStream() {
  if (playbin_) {
    gst_element_set_state(playbin_, GST_STATE_NULL);
    // What the old stream left on the bus must not be taken for the next one.
    gst_bus_set_flushing(bus_, TRUE);
    gst_bus_set_flushing(bus_, FALSE);
  }
  wantPlaying_ = false;
  startFailed_ = false;
  duration_ = 0.0;
  pendingSeek_ = -1.0;
  seekInFlight_ = false;
  const std::uint64_t generation = generation_;
  if (playState_ != PlayStopped) setPlayState(PlayStopped);
  if (generation != generation_) return;
  if (openState_ != OpenClosed) setOpenState(OpenClosed);
}

void MusicPlayerControl::setOpenState(int state) {
  const int old = openState_;
  openState_ = state;
  if (old != state) emit openStateChanged(old, state);
}

void MusicPlayerControl::setPlayState(int state) {
  const int old = playState_;
  playState_ = state;
  if (old != state) emit playStateChanged(old, state);
}

void MusicPlayerControl::refreshDuration() {
  gint64 duration = 0;
  if (playbin_ && gst_element_query_duration(playbin_, GST_FORMAT_TIME, &duration) && duration > 0)
    duration_ = duration * kNanosecond;
}

}  // namespace lumi::media
