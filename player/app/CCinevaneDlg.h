#pragma once
// The player's main window: full screen on the suite's monitor, the picture
// in a native child window, remote keys from the manager (through the shell
// or directly), the transport commands, resume points, playlists, and the
// messages that tell the shell and the manager where the player stands.
//
// The on-screen menu, the control bar, the context menu and the options sheet
// are not part of this window yet: their keys and commands end in status
// lines ("[hook] ...") so that they are easy to find and fill.
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <memory>

#include "player/captions/CaptionBarState.h"
#include "player/captions/CaptionClock.h"
#include "player/captions/CaptionLogFont.h"
#include "player/captions/FramePosition.h"
#include "player/core/Bookmarks.h"
#include "player/core/CommandLine.h"
#include "player/core/PlayerOptions.h"
#include "player/core/Playlist.h"
#include "player/core/TransportKeys.h"
#include "player/engine/PlaybackEngine.h"

namespace lumi::suite {
class SuiteWindow;
}

namespace lumi::player {

class SleepInhibitor;

class CCinevaneDlg : public QWidget, private PlaybackUi {
  Q_OBJECT

 public:
  // Timers of the window.
  static constexpr int kBarTimer = 123, kRewindTimer = 192, kHoldTimer = 244, kCursorTimer = 760;

  CCinevaneDlg(const QString& commandLine, const QString& programFolder);
  ~CCinevaneDlg() override;

  // Runs the start steps (placement, engine, dispatching the command line).
  // False when the window ended during them; the exit code is then set.
  bool start();
  int exitCode() const { return exitCode_; }

  void OnRemoteKey(int code);

  // The commands.
  void Play();        // 40020
  void StopCommand(); // 40021
  void CloseCommand();// 57602
  void ExitCommand(); // 57665
  void PlayPrevious();// 32853
  void PlayNext();    // 32854
  // A caption command: sync (32871-32875), size (32772/32773), place
  // (32801/32803), on/off (32807).
  void CaptionCommand(int command);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // PlaybackUi
  void showMessage(int first, int second) override;
  void showText(const QString& text) override;
  bool ask(int id, const QStringList& args) override;
  bool downloadCodecs(bool wantVideo, const QString& videoTag, int audioSelector, const QString& audioCode,
                      const QString& path) override;
  void quit(int exitCode) override;
  quintptr videoWindow() override;

  void beginEarly();
  EngineOptions engineOptions() const;
  bool dispatchCommandLine();
  bool openCurrent();
  void applyResumeRule();
  void saveBookmark();
  void pauseMovie();
  void resumeAfterPause();
  void rewind();
  void toggleFastForward();
  void stopHold();
  void changeVolume(int step);
  void endOfMovie();
  void placeVideo();
  void notifyShell(std::uint64_t code);
  void claimKeys();
  void closeWithFlag(bool notify);
  void endWindow(int code);
  void setStatus(const QString& text);
  void hook(const QString& what);
  bool popupVisible() const;
  void holdTick();
  void rewindTick();
  void openCaptions();
  void closeCaptions();
  void showCaption(const QString& text);
  void applyCaptionFont();
  std::int64_t captionPosition() const;

  QString commandLine_;
  StartRequest request_;
  QString programFolder_;
  QString playerKey_;
  std::unique_ptr<suite::SuiteWindow> suiteWindow_;
  QWidget* video_ = nullptr;
  PlaybackEngine engine_;
  Playlist playlist_;
  Bookmarks bookmarks_;
  PlayerOptions options_;
  std::unique_ptr<SleepInhibitor> inhibitor_;

  int playState = 0;
  int prevPlayState = 0;
  TransportKeys transportKeys_;
  int holdDirection = 0;
  bool controlBarShown = false;
  QElapsedTimer ticks_;
  QTimer barTimer_, rewindTimer_, holdTimer_, cursorTimer_;
  bool ended_ = false;
  int exitCode_ = 0;
  bool fastForwardFailedOnce_ = false;

  // Captions: the clock times the movie's caption file, the bar state holds
  // what is shown; in the mixing method the caption filter draws it.
  CaptionLogFont captionFont_;
  CaptionBarState captionBar_;
  CaptionClock captionClock_;
  std::unique_ptr<FramePosition> framePosition_;
};

}  // namespace lumi::player
