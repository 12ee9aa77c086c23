#pragma once
// Plays one movie file or stream at a time on a GStreamer playbin, for the
// player's main window: building the pipeline (with the caption filter drawn
// into the picture when the overlay method cannot be used), judging what the
// build gave, transport, seeks, rate, volume, mute, colour controls and the
// time texts. The window reaches the user through PlaybackUi; the engine
// itself has no widgets, so tests drive it directly.
//
// Times are in 100 ns units, as the player's stored values and texts expect.
//
// Seams (environment variables, real sinks when unset):
//   LUMICASTER_VIDEO_SINK    the video sink of the mixing method (a bin
//                            description, e.g. "fakevideosink")
//   LUMICASTER_OVERLAY_SINK  the sink of the overlay method (default
//                            "xvimagesink"); the colour controls come from the
//                            first element with GstColorBalance in it
//   LUMICASTER_AUDIO_SINK    the audio sink (default "autoaudiosink")
//   GST_DEBUG_DUMP_DOT_DIR   GStreamer's own: a "cinevane-av" dump after each build
#include <QObject>
#include <QSize>
#include <QString>
#include <cstdint>
#include <memory>

#include "player/engine/RenderResult.h"

typedef struct _GstElement GstElement;
typedef struct _GstBus GstBus;
typedef struct _GstMessage GstMessage;
typedef struct _GstPad GstPad;

QT_BEGIN_NAMESPACE
class QSocketNotifier;
QT_END_NAMESPACE

namespace lumi::com {
struct IBaseFilter;
struct ICaptionBlend;
}  // namespace lumi::com

namespace lumi::player {

// What the engine needs from the window that shows it.
class PlaybackUi {
 public:
  virtual ~PlaybackUi() = default;
  // A message of the player's string table, with its second line when given.
  virtual void showMessage(int first, int second = 0) = 0;
  // A plain box with a text of its own ("UNKNOWN ERROR.", a result's name).
  virtual void showText(const QString& text) = 0;
  // An OK/Cancel question of the string table with %s filled from `args`;
  // true for OK.
  virtual bool ask(int id, const QStringList& args) = 0;
  // The missing-codec download; returns once it has ended. The engine then
  // builds again. The hook for the codec installer: false when none ran.
  virtual bool downloadCodecs(bool wantVideo, const QString& videoTag, int audioSelector, const QString& audioCode,
                              const QString& path) = 0;
  // The playback cannot go on: the player ends with this exit code.
  virtual void quit(int exitCode) = 0;
  // The native window the picture is drawn into; 0 draws into a window of the
  // sink's own.
  virtual quintptr videoWindow() = 0;
};

struct EngineOptions {
  int accelLevel = 3;      // "nVGAAccelLevel": below 3 the overlay sink is never tried
  bool overlayMode = true; // "bOverlayMode"
  bool operator==(const EngineOptions&) const = default;
};

class PlaybackEngine : public QObject {
  Q_OBJECT

 public:
  enum GraphState { Stopped = 0, Paused = 1, Running = 2, NoGraph = 3 };

  // `programFolder`: where "CaptionBlend.ax" lies.
  PlaybackEngine(PlaybackUi& ui, QString programFolder, QObject* parent = nullptr);
  ~PlaybackEngine() override;

  // Builds the pipeline for a file path or a stream address and leaves it
  // paused on its first picture. A failure closes everything again; the
  // reactions the result asks for (questions, messages, quitting) have then
  // been carried out through the ui.
  HRESULT Open(const QString& path, const EngineOptions& options = {});
  // The first half of Open, for a start that creates its window meanwhile:
  // registers the filter, assembles the pipeline (drawing into the window
  // videoWindow() gives now) and sets it prerolling in GStreamer's threads,
  // without waiting. Says nothing to the user: on any failure it leaves
  // nothing behind and returns false, and the later Open does the whole work
  // again and reports. An Open of the same path and options then only waits
  // for the preroll and judges it; the filter stays registered until then.
  bool BeginOpen(const QString& path, const EngineOptions& options = {});
  HRESULT Run();
  // From running: pause; otherwise run.
  void PausePlay();
  void Pause();
  // From paused or running: back to the start, paused on the first picture.
  void Stop();
  void Close();

  void SeekStep(bool forward);          // ±10 s, kept within the movie
  void SeekRelative(std::int64_t ms);   // never before the start; past the end as asked
  void SeekTo(std::int64_t seconds);
  void SeekFraction(int which);         // 0 start, 1 middle, 2 end
  bool SetRate(double rate);
  bool FastForward() { return SetRate(2.0); }
  double rate() const { return rate_; }

  void SetVolume(int volume);
  void ToggleMute();
  // 0-100 each; nothing happens without a sink with colour controls.
  void SetColorControls(int brightness, int contrast, int saturation);
  QString GetTimeText(int kind) const;
  QString BarTimeText() const;

  // The window the picture is drawn into changed its size or place.
  void VideoWindowMoved();

  std::int64_t CurrentPosition() const;  // 100 ns; 0 without a graph
  std::int64_t StopPosition() const { return duration; }

  bool hasVideo() const { return videoWidth > 0 && videoHeight > 0; }
  // The movie has a picture, even when its size is not known yet.
  bool hasVideoStream() const { return videoStreams_ > 0; }
  QSize videoSize() const { return QSize(int(videoWidth), int(videoHeight)); }
  GstElement* pipeline() const { return playbin_; }
  // The caption filter in the pipeline, in the mixing method only (null
  // otherwise or without a graph): its interface for the captions it draws,
  // and its element, whose frames time the captions.
  lumi::com::ICaptionBlend* captionBlend() const;
  GstElement* captionBlendElement() const;
  // The last build's dump of the pipeline (element names and links).
  QString pipelineDescription() const;

  // The fields the player's texts and diagnostics name.
  QString path;
  QString captionPath;
  bool captionFileExists = false;
  int graphState = NoGraph;
  bool overlayUsable = false;
  bool mixingMode = false;
  bool overlayMode = true;
  quint32 colorKey = 0;
  int defaultBrightness = 0, defaultContrast = 0, defaultSaturation = 0;
  int captionSyncMs = 0;
  std::int64_t duration = 0;
  int volume = 50;
  bool muted = false;
  int savedVolume = 0;
  int attenuation = -1000;
  long videoWidth = 0, videoHeight = 0;
  int fullScreen = 0;

 signals:
  void durationKnown(qint64 seconds);
  // The picture's size became known after the build.
  void videoSizeChanged(QSize size);
  void volumeSet(int attenuation);
  void built();
  void endOfMovie();                 // the movie played to its end
  void playbackError(QString text);  // a failure while playing; the graph is closed
  void status(QString text);         // the on-screen status line's text
  // The graph started, paused, stopped or changed its rate.
  void transportChanged();
  // The movie was sent to another place (a seek, a stop's rewind).
  void seeked();
  // The graph is about to go: whatever watches its elements lets go of them.
  void closing();

 private:
  struct Outcome;
  class FilterRegistration;
  HRESULT startOpen(const QString& path, const EngineOptions& options, bool report);
  HRESULT finishOpen();
  HRESULT assemble(const EngineOptions& options, QString& failure);
  HRESULT complete();
  HRESULT render(bool withAudio, Outcome& outcome);
  void startPreroll(bool withAudio);
  HRESULT awaitPreroll(bool withAudio, Outcome& outcome);
  HRESULT judge(HRESULT result, const Outcome& outcome);
  bool createCaptionBlend();
  void releaseCaptionBlend();
  GstElement* makeVideoSink(bool overlay);
  bool probeOverlaySink(GstElement* sink);
  void readStreamInfo();
  void videoCapsArrived();
  void forgetSizePad();
  void applyAttenuation(int att);
  void seekTo100ns(std::int64_t target);
  void watchBus();
  void drainBus();
  void handleMessage(GstMessage* message);
  void teardown();

  PlaybackUi& ui_;
  QString programFolder_;
  GstElement* playbin_ = nullptr;
  GstBus* bus_ = nullptr;
  QSocketNotifier* busNotifier_ = nullptr;
  GstElement* videoSink_ = nullptr;  // owned by playbin once set
  lumi::com::IBaseFilter* captionBlendFilter_ = nullptr;
  lumi::com::ICaptionBlend* captionBlend_ = nullptr;
  GstElement* balance_ = nullptr;  // the sink's colour balance, when it has one
  double rate_ = 1.0;
  QString dump_;
  int videoStreams_ = 0;
  GstPad* sizePad_ = nullptr;
  unsigned long sizeHandler_ = 0;
  bool forced_ = false;  // the mixing method was chosen, not fallen back to
  std::unique_ptr<FilterRegistration> registration_;
  bool pending_ = false;  // BeginOpen's preroll awaits its Open
  QString pendingPath_;
  EngineOptions pendingOptions_;
};

}  // namespace lumi::player
