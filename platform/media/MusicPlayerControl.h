#pragma once
// The shell's music control: one GStreamer playbin behind the operations and
// events the shell's background music and music screen use (open a file,
// play, pause, stop, position, duration, volume, mute; open-state,
// play-state, end-of-stream and error events). State numbers are those of
// the media player control the shell was written against, because the shell
// compares them with literal values.
//
// Everything runs on the thread that created the control. Bus messages wait
// on the bus and are taken off through a socket notifier on the bus's poll
// descriptor, so they are handled from the event loop exactly like socket
// input: a processEvents() that holds socket notifications holds them too.
//
// Audio only: a file's video and subtitle streams are never rendered, so a
// music file never opens a window.
#include "platform/media/AudioLevel.h"

#include <QObject>
#include <QString>

#include <cstdint>

typedef struct _GstElement GstElement;
typedef struct _GstBus GstBus;
typedef struct _GstMessage GstMessage;

QT_BEGIN_NAMESPACE
class QSocketNotifier;
QT_END_NAMESPACE

namespace lumi::media {

enum OpenState : int {
  OpenClosed = 0,
  OpenLoadingAsx = 1,
  OpenLoadingNsc = 2,
  OpenLocating = 3,
  OpenConnecting = 4,
  OpenOpening = 5,
  OpenOpen = 6,
};

enum PlayState : int {
  PlayStopped = 0,
  PlayPaused = 1,
  PlayPlaying = 2,
  PlayWaiting = 3,
  PlayScanForward = 4,
  PlayScanReverse = 5,
  PlayClosed = 6,
};

struct MusicPlayerOptions {
  // A sink element or bin description ("fakeaudiosink", "fakesink sync=true").
  // Empty: $LUMICASTER_AUDIO_SINK when set, else "autoaudiosink".
  QString audioSink;
};

class MusicPlayerControl : public QObject, public AudioLevel {
  Q_OBJECT

 public:
  explicit MusicPlayerControl(QObject* parent = nullptr);
  explicit MusicPlayerControl(const MusicPlayerOptions& options, QObject* parent = nullptr);
  ~MusicPlayerControl() override;

  // False when GStreamer or playbin is not available; every operation is
  // then a no-op and Open() reports an error.
  bool isValid() const { return playbin_ != nullptr; }

  // Opens a file (or a URI with a scheme) and starts playing it; the empty
  // name stops and closes. Errors, an unreadable file included, arrive as
  // errorOccurred() from the event loop, after the state has gone back to
  // closed.
  void Open(const QString& fileName);
  QString FileName() const { return fileName_; }

  void Play();
  void Pause();
  // Stops and rewinds to the start; Play() then starts the file again.
  void Stop();

  // Seconds. 0 while nothing is open. Setting seeks, clamped to
  // [0, Duration()] once the duration is known; a position set while the file
  // is still opening is applied when it is open.
  double CurrentPosition() const;
  void setCurrentPosition(double seconds);
  // Seconds; 0 until known.
  double Duration() const { return duration_; }

  int Volume() const override { return volume_; }
  void setVolume(int hundredthsOfDecibel) override;
  bool Mute() const override { return mute_; }
  void setMute(bool mute) override;

  int openState() const { return openState_; }
  int playState() const { return playState_; }

  // What playbin was given for the current Volume(): the amplitude factor.
  double appliedLinearVolume() const;
  bool appliedMute() const;
  // The audio sink in use, by factory name of its element (or "bin").
  QString audioSinkName() const;

 signals:
  void openStateChanged(int oldState, int newState);
  void playStateChanged(int oldState, int newState);
  // After the play state has gone to stopped at the end of the file; the file
  // stays open, rewound. Handlers may open the next file at once.
  void endOfStream(int result);
  // After the file has been closed (open state 0).
  void errorOccurred(const QString& description);

 private:
  void init(const MusicPlayerOptions& options);
  void drainBus();
  void handleMessage(GstMessage* message);
  void handleStarted();
  void handleEnd();
  void handleError(const QString& description);
  void closeStream();
  void setOpenState(int state);
  void setPlayState(int state);
  void seekTo(double seconds);
  void refreshDuration();

  GstElement* playbin_ = nullptr;
  GstBus* bus_ = nullptr;
  QSocketNotifier* busNotifier_ = nullptr;

  QString fileName_;
  int openState_ = OpenClosed;
  int playState_ = PlayStopped;
  // What the caller asked for last: a PLAYING report from the pipeline only
  // counts while playing is wanted.
  bool wantPlaying_ = false;
  // set_state() failed at once; the error message should follow on the bus.
  bool startFailed_ = false;
  double duration_ = 0.0;
  // A seek that has not completed (or waits for the file to open): reported
  // as the position meanwhile, so a position read right after setting it
  // gives what was set.
  double pendingSeek_ = -1.0;
  bool seekInFlight_ = false;
  // Incremented on every Open(): a handler that emitted a signal checks it to
  // see whether the slot opened something else meanwhile.
  std::uint64_t generation_ = 0;

  int volume_ = kLoudest;
  bool mute_ = false;
};

}  // namespace lumi::media
