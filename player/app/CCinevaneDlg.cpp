#include "player/app/CCinevaneDlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <gst/gst.h>
#include <xcb/xcb.h>
#include <cstdio>

#include "common/suite/PeerWindows.h"
#include "filter/com/ICaptionBlend.h"
#include "common/suite/SuiteMessages.h"
#include "common/suite/SuiteWindow.h"
#include "platform/registry/Registry.h"
#include "platform/text/StringTable.h"
#include "player/app/PlayerMessageBox.h"
#include "player/app/SleepInhibitor.h"
#include "player/captions/CaptionSync.h"
#include "player/captions/CaptionTrack.h"
#include "player/core/CaptionKeys.h"
#include "player/core/MovieFiles.h"
#include "player/core/PlayerKeys.h"
#include "player/core/StartTrace.h"
#include "player/core/VideoGeometry.h"

namespace lumi::player {
namespace {

// The window the video sink draws into: Qt never paints it, so the picture
// stays as the sink left it.
class VideoWindow : public QWidget {
 public:
  explicit VideoWindow(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_NativeWindow);
    setAttribute(Qt::WA_PaintOnScreen);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
  }
  QPaintEngine* paintEngine() const override { return nullptr; }

 protected:
  void paintEvent(QPaintEvent*) override {}
};

// The company part of the registry root: string 105 without its leading
// characters that are letters of "Software\" (a set, not a prefix).
QString playerKeyPath() {
  const QString root = text::str(105);
  const QString set = QStringLiteral("Software\\");
  qsizetype i = 0;
  while (i < root.size() && set.contains(root[i])) ++i;
  return QStringLiteral("Software\\") + root.mid(i) + QStringLiteral("\\Cinevane");
}

QString suiteRootPath() { return text::str(105); }

QScreen* suiteScreen() {
  QString name;
  registry::Key::open(registry::Root::CurrentUser, suiteRootPath()).readString(QStringLiteral("CurrentMonitor"), name);
  for (QScreen* screen : QGuiApplication::screens())
    if (!name.isEmpty() && screen->name() == name) return screen;
  return QGuiApplication::primaryScreen();
}

}  // namespace

CCinevaneDlg::CCinevaneDlg(const QString& commandLine, const QString& programFolder)
    : commandLine_(commandLine),
      request_(ParseCommandLine(commandLine)),
      programFolder_(programFolder),
      playerKey_(playerKeyPath()),
      engine_(*this, programFolder),
      bookmarks_(playerKey_),
      captionFont_(playerKey_),
      captionClock_([this] { return captionPosition(); }) {
  setWindowTitle(suite::kPlayerTitle);
  setAttribute(Qt::WA_InputMethodEnabled, false);
  setMouseTracking(true);
  QPalette black = palette();
  black.setColor(QPalette::Window, Qt::black);
  setPalette(black);
  setAutoFillBackground(true);
  // The picture goes into a native child window the sink draws on.
  video_ = new VideoWindow(this);
  video_->hide();
  ticks_.start();

  barTimer_.setInterval(300);
  rewindTimer_.setInterval(250);
  holdTimer_.setInterval(200);
  cursorTimer_.setInterval(3000);
  cursorTimer_.setSingleShot(true);
  connect(&rewindTimer_, &QTimer::timeout, this, &CCinevaneDlg::rewindTick);
  connect(&holdTimer_, &QTimer::timeout, this, &CCinevaneDlg::holdTick);
  connect(&cursorTimer_, &QTimer::timeout, this, [this] { setCursor(Qt::BlankCursor); });
  connect(&barTimer_, &QTimer::timeout, this, [] {});

  connect(&engine_, &PlaybackEngine::endOfMovie, this, &CCinevaneDlg::endOfMovie);
  connect(&engine_, &PlaybackEngine::built, this, &CCinevaneDlg::claimKeys);
  connect(&engine_, &PlaybackEngine::status, this, &CCinevaneDlg::setStatus);
  connect(&engine_, &PlaybackEngine::videoSizeChanged, this, &CCinevaneDlg::placeVideo);
  connect(&engine_, &PlaybackEngine::closing, this, &CCinevaneDlg::closeCaptions);
  connect(&engine_, &PlaybackEngine::seeked, &captionClock_, &CaptionClock::seeked);
  connect(&engine_, &PlaybackEngine::transportChanged, this, [this] {
    captionClock_.setRate(engine_.rate());
    if (engine_.graphState == PlaybackEngine::Running) captionClock_.play();
    else captionClock_.pause();
  });
  connect(&captionClock_, &CaptionClock::captionEvent, &captionBar_,
          [this](const QString& raw) { captionBar_.captionEvent(raw); });
  connect(&captionBar_, &CaptionBarState::shown, this, &CCinevaneDlg::showCaption);
  connect(&captionBar_, &CaptionBarState::positionChanged, this, [this](int percent) {
    if (com::ICaptionBlend* blend = engine_.captionBlend()) {
      blend->SetPosition(percent);
      if (engine_.graphState != PlaybackEngine::Running) blend->Redraw();
    }
  });
  // The stored font, or the default written at once.
  captionFont_.load();

  connect(&engine_, &PlaybackEngine::playbackError, this, [this](const QString& text) {
    setStatus(QStringLiteral("Error: ") + text);
    engine_.Close();
    playState = 0;
  });

  suiteWindow_ = std::make_unique<suite::SuiteWindow>(this, [this](const desktop::WindowMessage& m)
                                                                -> std::optional<std::int64_t> {
    if (m.message == desktop::WM_COPYDATA) {
      OnRemoteKey(int(m.dataWord));
      return 1;
    }
    if (m.message == suite::WM_REMOTE_KEY) {
      OnRemoteKey(int(m.wParam));
      return 1;
    }
    return std::nullopt;
  });
}

CCinevaneDlg::~CCinevaneDlg() {
  // The shell learns that the player is gone, however it ended.
  notifyShell(suite::kCopyPlayerClosing);
  engine_.Close();
}

bool CCinevaneDlg::start() {
  claimKeys();
  if (commandLine_.isEmpty()) {
    PlayerMessageBox::show(nullptr, 270);
    exitCode_ = 0;
    return false;
  }
  // Without any video sink to draw with, ask before going on (the answer No
  // ends the player); a display without XVideo is not such a case.
  auto exists = [](const char* name) {
    GstElementFactory* factory = gst_element_factory_find(name);
    if (factory) gst_object_unref(factory);
    return factory != nullptr;
  };
  if (!exists("ximagesink") && !exists("xvimagesink") &&
      PlayerMessageBox::show(nullptr, 266, 267, PlayerMessageBox::YesNo) != 1) {
    exitCode_ = 0;
    return false;
  }
  // Full screen on the monitor the suite uses.
  QScreen* screen = suiteScreen();
  setGeometry(screen->geometry());
  StartTrace("checks done");
  beginEarly();
  showFullScreen();
  StartTrace("shown");
  QApplication::processEvents();
  StartTrace("events processed");
  const bool running = dispatchCommandLine() && !ended_;
  // Asked once the picture is up: the system bus may be slow to answer.
  if (running) inhibitor_ = std::make_unique<SleepInhibitor>();
  return running;
}

// A movie file named on the command line starts prerolling before the window
// is shown, so that GStreamer's threads build the pipeline while the window
// is created and mapped; the dispatch below then opens the same file and only
// waits for the rest. The picture's native window is created here, unmapped,
// at the size it will have, and made known to the X server before the sink's
// own connection asks for its size.
void CCinevaneDlg::beginEarly() {
  if (request_.kind != StartRequest::Kind::File || !MovieFileExists(request_.path)) return;
  options_.LoadOptions(playerKey_);
  video_->setGeometry(rect());
  video_->show();
  // Qt gives a hidden widget's native window its size only when it is shown:
  // the sink would take a default size for the picture's, so the X window gets
  // its size here directly.
  if (auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()) {
    xcb_connection_t* c = x11->connection();
    const quint32 size[] = {quint32(width()), quint32(height())};
    xcb_configure_window(c, xcb_window_t(video_->winId()), XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, size);
    free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
  }
  engine_.BeginOpen(request_.path, engineOptions());
}

EngineOptions CCinevaneDlg::engineOptions() const {
  EngineOptions engineOptions;
  engineOptions.accelLevel = options_.nVGAAccelLevel;
  engineOptions.overlayMode = options_.bOverlayMode != 0;
  return engineOptions;
}

bool CCinevaneDlg::dispatchCommandLine() {
  using K = StartRequest::Kind;
  switch (request_.kind) {
    case K::None:
      return false;
    case K::Dvd:
      // DVD playback comes with the DVD engine; until then the DVD engine
      // "cannot be built", which ends the window.
      hook(QStringLiteral("DVD playback of ") + request_.path);
      endWindow(0);
      return false;
    case K::VideoCd:
      playlist_.assign(ListVcdTracks(request_.path));
      if (playlist_.isEmpty()) {
        PlayerMessageBox::show(this, 268);
        endWindow(0);
        return false;
      }
      break;
    case K::Stream:
      playlist_.clear();
      engine_.path = request_.path;
      break;
    case K::Playlist: {
      QStringList entries;
      const PlaylistRead read = LoadPlaylistFile(request_.path, entries);
      if (read != PlaylistRead::Ok) {
        PlayerMessageBox::show(this, read == PlaylistRead::CannotOpen ? 279 : 280);
        return true;  // nothing to play; the window stays
      }
      playlist_.assign(entries);
      break;
    }
    case K::File:
      playlist_.clear();
      if (!MovieFileExists(request_.path)) {
        PlayerMessageBox::show(this, 325);
        return true;  // the window stays with nothing loaded
      }
      break;
  }
  Play();
  if (ended_) return false;
  if (request_.resumable()) applyResumeRule();
  return !ended_;
}

QString currentPathOf(const Playlist& list, const StartRequest& request) {
  return list.isEmpty() ? request.path : list.current();
}

bool CCinevaneDlg::openCurrent() {
  const QString path = currentPathOf(playlist_, request_);
  if (path.isEmpty()) return false;
  options_.LoadOptions(playerKey_);
  // The sink learns the window's size when it starts: the whole screen until
  // the picture's own place is known.
  video_->setGeometry(rect());
  video_->show();
  captionBar_.setCaptionsOn(options_.bEnableCaption != 0);
  const HRESULT hr = engine_.Open(path, engineOptions());
  if (com::failed(hr)) {
    video_->hide();
    return false;
  }
  engine_.SetVolume(options_.nVolume);
  engine_.SetColorControls(options_.nBrightness, options_.nContrast, options_.nSaturation);
  placeVideo();
  std::fprintf(stderr, "[play] %s\n", path.toUtf8().constData());
  std::fflush(stderr);
  openCaptions();
  return true;
}

void CCinevaneDlg::Play() {
  const int from = playState;
  if (engine_.graphState == PlaybackEngine::NoGraph && !openCurrent()) return;
  if (ended_) return;
  stopHold();
  rewindTimer_.stop();
  if (engine_.rate() != 1.0) engine_.SetRate(1.0);
  engine_.Run();
  StartTrace("run");
  prevPlayState = playState;
  playState = 1;
  if (from == 0 && playlist_.size() >= 2)
    setStatus(QStringLiteral("Play (%1/%2)").arg(playlist_.index() + 1).arg(playlist_.size()));
  else
    setStatus(QStringLiteral("Play"));
}

void CCinevaneDlg::applyResumeRule() {
  if (!options_.bEnableBookmark || engine_.graphState == PlaybackEngine::NoGraph) return;
  if (options_.bAskMove && PlayerMessageBox::show(this, 269, 0, PlayerMessageBox::YesNo) != 1) return;
  if (const quint32 seconds = bookmarks_.read(engine_.path)) engine_.SeekTo(seconds);
}

// Kept when the picture is up and the movie running or paused: a paused
// movie closed keeps its place too.
void CCinevaneDlg::saveBookmark() {
  if (!engine_.hasVideoStream()) return;
  if (engine_.graphState != PlaybackEngine::Running && engine_.graphState != PlaybackEngine::Paused) return;
  bookmarks_.save(engine_.path, engine_.CurrentPosition(), engine_.StopPosition());
}

void CCinevaneDlg::pauseMovie() {
  if (engine_.graphState == PlaybackEngine::NoGraph) return;
  engine_.Pause();
  prevPlayState = playState;
  playState = 2;
  setStatus(QStringLiteral("Pause"));
}

void CCinevaneDlg::resumeAfterPause() {
  if (prevPlayState == 3) {
    toggleFastForward();
  } else if (prevPlayState == 4) {
    rewind();
  } else {
    Play();
  }
}

void CCinevaneDlg::rewind() {
  if (playState == 5 || engine_.graphState == PlaybackEngine::NoGraph) return;
  engine_.Pause();
  prevPlayState = playState;
  playState = 4;
  rewindTimer_.start();
  setStatus(QStringLiteral("Rewind"));
}

void CCinevaneDlg::rewindTick() { engine_.SeekRelative(-2000); }

void CCinevaneDlg::toggleFastForward() {
  if (!transportKeys_.press(ticks_.elapsed())) {
    // A held key repeats: the hold moves 20 s at a time.
    if (playState == 3 || holdDirection == 2) {
      holdDirection = 2;
      if (!holdTimer_.isActive()) holdTimer_.start();
    }
    return;
  }
  if (playState == 1 || playState == 4 || (playState == 2 && (prevPlayState == 1 || prevPlayState == 3))) {
    stopHold();
    rewindTimer_.stop();
    engine_.Run();
    if (engine_.FastForward()) {
      setStatus(QStringLiteral("Fast Forward"));
      prevPlayState = playState;
      playState = 3;
    } else if (!fastForwardFailedOnce_) {
      fastForwardFailedOnce_ = true;
      showMessage(302, 0);
    }
  } else if (playState == 3) {
    engine_.SetRate(1.0);
    prevPlayState = playState;
    playState = 1;
    setStatus(QStringLiteral("Play"));
  }
}

void CCinevaneDlg::holdTick() {
  if (transportKeys_.holdEnded(ticks_.elapsed())) {
    // The key was let go: normal play again, in either direction.
    stopHold();
    Play();
    return;
  }
  engine_.Pause();
  engine_.SeekRelative(holdDirection == 2 ? 20000 : -20000);
}

void CCinevaneDlg::stopHold() {
  holdTimer_.stop();
  holdDirection = 0;
}

void CCinevaneDlg::changeVolume(int step) {
  engine_.SetVolume(engine_.volume + step);
  options_.nVolume = engine_.volume;
  setStatus(QStringLiteral("Volume %1").arg(engine_.volume));
}

void CCinevaneDlg::StopCommand() {
  setStatus(QStringLiteral("Stop"));
  options_.nVolume = engine_.volume;
  options_.SaveOptions(playerKey_);
  saveBookmark();
  barTimer_.stop();
  stopHold();
  rewindTimer_.stop();
  engine_.Stop();
  captionBar_.clear();
  prevPlayState = playState;
  playState = 5;
}

void CCinevaneDlg::CloseCommand() {
  if (engine_.graphState != PlaybackEngine::NoGraph) {
    options_.nVolume = engine_.volume;
    options_.SaveOptions(playerKey_);
    saveBookmark();
    barTimer_.stop();
    rewindTimer_.stop();
    engine_.Close();
    video_->hide();
  }
  playState = 0;
  setStatus(QStringLiteral("Closed"));
}

void CCinevaneDlg::ExitCommand() {
  StopCommand();
  endWindow(0);
}

void CCinevaneDlg::PlayPrevious() {
  if (!playlist_.hasPrevious() || engine_.graphState == PlaybackEngine::NoGraph) return;
  stopHold();
  CloseCommand();
  playlist_.previous();
  playState = 0;  // Play shows "Play (n/m)" from the not-started state
  Play();
}

void CCinevaneDlg::PlayNext() {
  if (!playlist_.hasNext() || engine_.graphState == PlaybackEngine::NoGraph) return;
  stopHold();
  CloseCommand();
  playlist_.next();
  playState = 0;
  Play();
}

void CCinevaneDlg::endOfMovie() {
  bookmarks_.remove(engine_.path);
  if (playlist_.hasNext()) {
    engine_.Stop();
    engine_.Close();
    playlist_.next();
    playState = 0;
    Play();
    return;
  }
  setStatus(QStringLiteral("The End"));
  engine_.Stop();
  captionBar_.clear();
  prevPlayState = playState;
  playState = 5;
}

void CCinevaneDlg::OnRemoteKey(int code) {
  std::fprintf(stderr, "[key] %d\n", code);
  std::fflush(stderr);
  const bool osdOpen = false;  // the on-screen menu comes later
  switch (ActionForKey(code, popupVisible(), osdOpen)) {
    case KeyAction::Ignore: break;
    case KeyAction::ForwardToPopup:
      if (PlayerMessageBox* box = PlayerMessageBox::current()) box->remoteKey(code);
      break;
    case KeyAction::StopAndClose:
      if (popupVisible()) PlayerMessageBox::current()->remoteKey(code);
      StopCommand();
      CloseCommand();
      closeWithFlag(true);
      break;
    case KeyAction::ExitToShell:
      StopCommand();
      CloseCommand();
      notifyShell(suite::kCopyPlayerClosing);
      endWindow(0);
      break;
    case KeyAction::ToggleOsd: hook(QStringLiteral("on-screen menu (32832)")); break;
    case KeyAction::InfoDisplay: hook(QStringLiteral("playback information (32882): ") + engine_.GetTimeText(1)); break;
    case KeyAction::OsdSelect:
    case KeyAction::OsdBack:
    case KeyAction::OsdUp:
    case KeyAction::OsdDown:
    case KeyAction::OsdLeft:
    case KeyAction::OsdRight: break;
    case KeyAction::VolumeUp: changeVolume(5); break;
    case KeyAction::VolumeDown: changeVolume(-5); break;
    case KeyAction::SeekBack: engine_.SeekStep(false); break;
    case KeyAction::SeekForward: engine_.SeekStep(true); break;
    case KeyAction::Rewind:
      if (!transportKeys_.press(ticks_.elapsed()) && playState == 4) {
        holdDirection = 1;
        if (!holdTimer_.isActive()) holdTimer_.start();
      } else {
        rewind();
      }
      break;
    case KeyAction::PlayPause:
      if (playState == 1) pauseMovie();
      else Play();
      break;
    case KeyAction::PauseResume:
      switch (playState) {
        case 1:
        case 3: pauseMovie(); break;
        case 4:
          stopHold();
          rewindTimer_.stop();
          pauseMovie();
          break;
        case 0: Play(); break;
        case 2: resumeAfterPause(); break;
        default: break;
      }
      break;
    case KeyAction::Stop: StopCommand(); break;
    case KeyAction::FastForward: toggleFastForward(); break;
    case KeyAction::Previous: PlayPrevious(); break;
    case KeyAction::Next: PlayNext(); break;
    case KeyAction::Mute:
      engine_.ToggleMute();
      setStatus(engine_.muted ? QStringLiteral("Mute") : QStringLiteral("Volume %1").arg(engine_.volume));
      break;
    case KeyAction::ControlBar:
      controlBarShown = !controlBarShown;
      if (controlBarShown) barTimer_.start();
      else barTimer_.stop();
      hook(QStringLiteral("control bar ") + (controlBarShown ? "shown" : "hidden"));
      break;
  }
}

// --- Captions -----------------------------------------------------------------

// The movie's caption file, read once the movie is open. A file that cannot be
// read is said once; the movie plays on without captions.
void CCinevaneDlg::openCaptions() {
  framePosition_.reset();
  captionBar_.clear();
  const CaptionTrack track = openCaptionTrack(engine_.path);
  for (const QString& line : track.diagnostics) std::fprintf(stderr, "[captions] %s\n", line.toUtf8().constData());
  std::fflush(stderr);
  if (!track.exists || !track.ok) {
    captionClock_.clearTrack();
    if (track.exists) showMessage(track.messageId, track.detailId);
    return;
  }
  // In the mixing method the filter draws a caption into the frames it takes
  // next, some frames before they are shown: the clock follows those frames.
  if (GstElement* blend = engine_.captionBlendElement()) framePosition_ = std::make_unique<FramePosition>(blend);
  applyCaptionFont();
  if (com::ICaptionBlend* filter = engine_.captionBlend()) filter->SetPosition(captionBar_.positionPercent());
  captionClock_.setTrack(track.entries);
  captionClock_.setRate(engine_.rate());
  if (engine_.graphState == PlaybackEngine::Running) captionClock_.play();
  captionClock_.seeked();
}

void CCinevaneDlg::closeCaptions() {
  framePosition_.reset();
  captionClock_.clearTrack();
  captionBar_.clear();
}

std::int64_t CCinevaneDlg::captionPosition() const {
  if (framePosition_) {
    const std::int64_t next = framePosition_->nextFrame();
    if (next >= 0) return next;
  }
  return engine_.CurrentPosition();
}

void CCinevaneDlg::showCaption(const QString& text) {
  // The movie's place with the caption, one line per caption, for diagnosis.
  QString line = text;
  line.replace(QStringLiteral("\r\n"), QStringLiteral("|")).replace(u'\n', u'|');
  std::fprintf(stderr, "[caption] %lld ms %s\n", static_cast<long long>(captionPosition() / 10000),
               line.toUtf8().constData());
  std::fflush(stderr);
  com::ICaptionBlend* blend = engine_.captionBlend();
  if (!blend) return;  // the overlay method paints its own bar
  blend->SetText(text.toUtf8().constData());
  // A paused picture takes the change only when drawn again.
  if (engine_.graphState != PlaybackEngine::Running) blend->Redraw();
}

void CCinevaneDlg::applyCaptionFont() {
  com::ICaptionBlend* blend = engine_.captionBlend();
  if (!blend) return;
  const QScreen* monitor = screen();
  const LOGFONTA font =
      filterFontFor(captionFont_.font(), int(engine_.videoHeight), monitor ? monitor->geometry().height() : 0);
  blend->SetFont(&font);
}

void CCinevaneDlg::CaptionCommand(int command) {
  if (const std::optional<int> step = syncStepOfCommand(command)) {
    if (captionClock_.stepSync(*step)) captionBar_.reshow();
    return;
  }
  switch (command) {
    case kSyncResetCommand: captionClock_.resetSync(); break;
    case CaptionLogFont::kSizeUpCommand:
    case CaptionLogFont::kSizeDownCommand:
      if (command == CaptionLogFont::kSizeUpCommand ? captionFont_.sizeUp() : captionFont_.sizeDown()) {
        applyCaptionFont();
        captionBar_.reshow();
      }
      break;
    case kCaptionMoveUpCommand: captionBar_.moveUp(); break;
    case kCaptionMoveDownCommand: captionBar_.moveDown(); break;
    case kCaptionToggleCommand:
      captionBar_.setCaptionsOn(!captionBar_.captionsOn());
      if (!captionBar_.captionsOn()) captionBar_.clear();
      options_.bEnableCaption = captionBar_.captionsOn() ? 1 : 0;
      break;
    default: break;
  }
}

void CCinevaneDlg::placeVideo() {
  if (!engine_.hasVideo()) {
    // Sound alone plays in the black window.
    video_->hide();
    return;
  }
  const QRect rect = FullScreenVideoRect(size(), engine_.videoSize());
  video_->setGeometry(rect);
  video_->show();
  engine_.VideoWindowMoved();
  StartTrace("placed");
  std::fprintf(stderr, "[place] %d %d %d %d\n", rect.x(), rect.y(), rect.width(), rect.height());
  std::fflush(stderr);
}

void CCinevaneDlg::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  placeVideo();
}

void CCinevaneDlg::notifyShell(std::uint64_t code) {
  if (!suiteWindow_) return;
  const desktop::WindowId shell = suite::FindPeerWindow(text::str(195));
  if (shell) desktop::Desktop::instance().sendCopyData(shell, suiteWindow_->id(), code, QByteArray(8, '\0'));
}

void CCinevaneDlg::claimKeys() {
  if (suiteWindow_) suite::ClaimRemoteKeys(suiteWindow_->id(), suite::managerTitle());
}

void CCinevaneDlg::closeWithFlag(bool notify) {
  saveBookmark();
  if (notify && !commandLine_.isEmpty()) notifyShell(suite::kCopyPlayerClosedByUser);
  endWindow(0);
}

void CCinevaneDlg::endWindow(int code) {
  if (ended_) return;
  ended_ = true;
  exitCode_ = code;
  hide();
  QCoreApplication::exit(code);
}

void CCinevaneDlg::setStatus(const QString& text) {
  // The on-screen status line comes with the on-screen display.
  std::fprintf(stderr, "[status] %s\n", text.toUtf8().constData());
  std::fflush(stderr);
}

void CCinevaneDlg::hook(const QString& what) {
  std::fprintf(stderr, "[hook] %s\n", what.toUtf8().constData());
  std::fflush(stderr);
}

bool CCinevaneDlg::popupVisible() const {
  const PlayerMessageBox* box = PlayerMessageBox::current();
  return box && box->isVisible();
}

void CCinevaneDlg::closeEvent(QCloseEvent* event) {
  // The window's close box: the cancel path.
  event->ignore();
  saveBookmark();
  endWindow(0);
}

void CCinevaneDlg::keyPressEvent(QKeyEvent* event) {
  const bool ctrl = event->modifiers() & Qt::ControlModifier;
  if (const int command = CaptionCommandForKey(event->key(), ctrl, event->modifiers() & Qt::AltModifier,
                                               event->modifiers() & Qt::ShiftModifier)) {
    // Captions are there to command only while a movie is open.
    if (engine_.graphState != PlaybackEngine::NoGraph) CaptionCommand(command);
    return;
  }
  switch (event->key()) {
    case Qt::Key_Escape: ExitCommand(); return;
    case Qt::Key_C:
      if (ctrl) {
        ExitCommand();
        return;
      }
      break;
    case Qt::Key_F9:
      notifyShell(suite::kCopyPlayerClosedByUser);
      closeWithFlag(false);
      return;
    case Qt::Key_Space: OnRemoteKey(suite::KeyPlay); return;
    case Qt::Key_Left: OnRemoteKey(suite::KeyLeft); return;
    case Qt::Key_Right: OnRemoteKey(suite::KeyRight); return;
    case Qt::Key_PageUp: PlayPrevious(); return;
    case Qt::Key_PageDown: PlayNext(); return;
    default: break;
  }
  QWidget::keyPressEvent(event);
}

void CCinevaneDlg::mouseMoveEvent(QMouseEvent* event) {
  unsetCursor();
  cursorTimer_.start();
  QWidget::mouseMoveEvent(event);
}

void CCinevaneDlg::wheelEvent(QWheelEvent* event) { changeVolume(event->angleDelta().y() > 0 ? 5 : -5); }

void CCinevaneDlg::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton) hook(QStringLiteral("context menu 142"));
  QWidget::mousePressEvent(event);
}

// --- PlaybackUi ---------------------------------------------------------------

void CCinevaneDlg::showMessage(int first, int second) { PlayerMessageBox::show(this, first, second); }

void CCinevaneDlg::showText(const QString& text) { PlayerMessageBox::showText(this, text); }

bool CCinevaneDlg::ask(int id, const QStringList& args) {
  return PlayerMessageBox::show(this, id, 0, PlayerMessageBox::OkCancel, args) == 1;
}

bool CCinevaneDlg::downloadCodecs(bool wantVideo, const QString& videoTag, int audioSelector, const QString& audioCode,
                                  const QString& path) {
  // The codec installer fills this; until then a "yes" ends as "no" would.
  hook(QStringLiteral("codec download: video %1 \"%2\", audio %3 \"%4\", %5")
           .arg(wantVideo)
           .arg(videoTag)
           .arg(audioSelector)
           .arg(audioCode, path));
  return false;
}

void CCinevaneDlg::quit(int code) { endWindow(code); }

quintptr CCinevaneDlg::videoWindow() { return quintptr(video_->winId()); }

}  // namespace lumi::player
