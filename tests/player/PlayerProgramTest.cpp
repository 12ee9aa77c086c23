// "Cinevane.exe" as the shell starts it, on a private X server: the picture on
// screen, keys from another process, resume points and options in the hive,
// playlists and Video CD folders, and what the shell and the manager hear.
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringEncoder>
#include <arpa/inet.h>
#include <atomic>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <functional>
#include <thread>
#include <unistd.h>

#include "common/suite/PeerWindows.h"
#include "common/suite/SuiteMessages.h"
#include "platform/desktop/X11Desktop.h"
#include "platform/registry/Registry.h"
#include "tests/captions/SamiFixtures.h"
#include "tests/player/PlayerMedia.h"
#include "tests/support/Eventually.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TestPaths.h"
#include "tests/support/XServer.h"

using namespace lumi;
using lumi::registry::Key;
using lumi::registry::Root;
using lumi::test::eventually;

namespace {

const QString kPlayerKey = QStringLiteral("Software\\Quelmar\\Lumicaster\\Cinevane");

// A program started by the test with its stderr lines kept.
class Program {
 public:
  Program(const QString& path, const QStringList& args, const QProcessEnvironment& env) {
    process_.setProcessEnvironment(env);
    process_.setProcessChannelMode(QProcess::MergedChannels);
    process_.start(path, args);
    process_.waitForStarted(10000);
  }
  ~Program() {
    if (process_.state() != QProcess::NotRunning) {
      process_.kill();
      process_.waitForFinished(5000);
    }
  }
  QStringList lines() {
    // Without an event loop the pipe is read only when asked.
    if (process_.state() == QProcess::Running && !process_.waitForReadyRead(10)) process_.waitForFinished(0);
    buffer_ += process_.readAll();
    return QString::fromUtf8(buffer_).split(u'\n');
  }
  bool waitFor(const QString& line, int timeoutMs = 20000) {
    return eventually([&] { return lines().contains(line); }, timeoutMs);
  }
  bool waitForPrefix(const QString& prefix, int timeoutMs = 20000) {
    return eventually(
        [&] {
          for (const QString& l : lines())
            if (l.startsWith(prefix)) return true;
          return false;
        },
        timeoutMs);
  }
  QStringList linesStarting(const QString& prefix) {
    QStringList out;
    for (const QString& l : lines())
      if (l.startsWith(prefix)) out << l;
    return out;
  }
  bool finished(int timeoutMs = 20000) { return process_.waitForFinished(timeoutMs); }
  int exitCode() const { return process_.exitCode(); }
  QString dump() {
    return QStringLiteral("state %1, exit %2\n").arg(process_.state()).arg(process_.exitCode()) + lines().join(u'\n');
  }

 private:
  QProcess process_;
  QByteArray buffer_;
};

class PlayerProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.ok()) << server_.error().toStdString();
    ASSERT_TRUE(media().error.isEmpty()) << media().error.toStdString();
    desktop_ = desktop::X11Desktop::create();
    ASSERT_TRUE(desktop_);
    // Captions drawn into the picture, as chosen: no question about the overlay.
    ASSERT_TRUE(Key::create(Root::CurrentUser, kPlayerKey).writeDWord("bOverlayMode", 0));
  }
  static const test::PlayerMedia& media() { return test::playerMedia(); }

  QProcessEnvironment environment() {
    QProcessEnvironment env = test::suiteProgramEnvironment();
    env.insert("LUMICASTER_AUDIO_SINK", "fakeaudiosink");
    return env;
  }
  std::unique_ptr<Program> startPlayer(const QString& argument) {
    QStringList args;
    if (!argument.isNull()) args << argument;
    return std::make_unique<Program>(test::binary("Cinevane.exe"), args, environment());
  }
  // A stand-in for the shell or the manager that logs what it receives.
  std::unique_ptr<Program> startPeer(const QString& title, const QString& log) {
    auto peer = std::make_unique<Program>(test::binary("suite-test-window"),
                                          QStringList{"--window-title", title, "--log", log}, environment());
    EXPECT_TRUE(eventually([&] { return suite::FindPeerWindow(title, *desktop_) != 0; }));
    return peer;
  }
  desktop::WindowId playerWindow() {
    desktop::WindowId w = 0;
    eventually([&] { return (w = suite::FindPeerWindow(suite::kPlayerTitle, *desktop_)) != 0; });
    return w;
  }
  void key(int code) {
    desktop_->post(playerWindow(), suite::WM_REMOTE_KEY, quint64(code), 0);
  }
  void answerMessage(int code) {
    desktop::WindowId box = 0;
    ASSERT_TRUE(eventually([&] { return (box = suite::FindPeerWindow("MessageDlg", *desktop_)) != 0; }));
    desktop_->post(box, suite::WM_REMOTE_KEY, quint64(code), 0);
  }
  static QStringList logLines(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts);
  }

  test::PrivateEnvironment env_;
  test::XServer server_;
  std::unique_ptr<desktop::X11Desktop> desktop_;
};

// The colour of one pixel of the root window.
quint32 rootPixel(int x, int y) {
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  quint32 pixel = 0;
  xcb_get_image_reply_t* image = xcb_get_image_reply(
      c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, screen->root, x, y, 1, 1, ~0u), nullptr);
  if (image && xcb_get_image_data_length(image) >= 4) std::memcpy(&pixel, xcb_get_image_data(image), 4);
  free(image);
  xcb_disconnect(c);
  return pixel & 0xFFFFFF;
}

// A plain HTTP server on loopback serving one file to every request, on a
// thread of its own (the test's waits do not run an event loop).
class FileServer {
 public:
  explicit FileServer(const QString& path) {
    QFile f(path);
    if (f.open(QIODevice::ReadOnly)) body_ = f.readAll();
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::listen(fd_, 8);
    socklen_t len = sizeof a;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
    thread_ = std::thread([this] { serve(); });
  }
  ~FileServer() {
    stop_ = true;
    ::shutdown(fd_, SHUT_RDWR);
    ::close(fd_);
    thread_.join();
  }
  int port() const { return port_; }
  int requests() const { return requests_; }

 private:
  void serve() {
    while (!stop_) {
      const int client = ::accept(fd_, nullptr, nullptr);
      if (client < 0) return;
      QByteArray request;
      char buffer[4096];
      while (!request.contains("\r\n\r\n")) {
        const ssize_t n = ::read(client, buffer, sizeof buffer);
        if (n <= 0) break;
        request.append(buffer, n);
      }
      ++requests_;
      const QByteArray reply = "HTTP/1.0 200 OK\r\nContent-Type: video/x-msvideo\r\nContent-Length: " +
                               QByteArray::number(body_.size()) + "\r\n\r\n" + body_;
      for (qsizetype at = 0; at < reply.size();) {
        const ssize_t n = ::send(client, reply.constData() + at, size_t(reply.size() - at), MSG_NOSIGNAL);
        if (n <= 0) break;
        at += n;
      }
      ::close(client);
    }
  }
  QByteArray body_;
  int fd_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> requests_{0};
  std::thread thread_;
};

bool reddish(quint32 rgb) { return ((rgb >> 16) & 0xFF) > 200 && ((rgb >> 8) & 0xFF) < 60 && (rgb & 0xFF) < 60; }

}  // namespace

TEST_F(PlayerProgramTest, TheFirstFrameShowsTheMovieFullScreen) {
  const QString managerLog = env_.file("manager.log");
  auto manager = startPeer(suite::managerTitle(), managerLog);
  auto player = startPlayer(media().mjpegAvi);
  ASSERT_TRUE(player->waitForPrefix("[play] ")) << player->dump().toStdString();
  // 320x240 on 1024x768 fills the screen.
  EXPECT_TRUE(player->waitFor("[place] 0 0 1024 768")) << player->dump().toStdString();
  EXPECT_TRUE(eventually([] { return reddish(rootPixel(512, 384)) && reddish(rootPixel(5, 5)); }))
      << std::hex << rootPixel(512, 384) << " " << rootPixel(5, 5) << " " << player->dump().toStdString();
  // The manager was told twice: at start and after the build.
  const desktop::WindowId w = playerWindow();
  EXPECT_TRUE(eventually([&] {
    return logLines(managerLog).count(QStringLiteral("send 0x4a %1 0 1135 ").arg(w)) >= 2;
  })) << logLines(managerLog).join('\n').toStdString();
  EXPECT_EQ(desktop_->send(w, suite::WM_SUITE_PING, 0, 0), 1);
}

// The power key closes the player and tells the shell the user closed it
// (data word 2), then that the window is gone (data word 1).
TEST_F(PlayerProgramTest, ThePowerKeyTellsTheShellTheUserClosedThePlayer) {
  const QString shellLog = env_.file("shell.log");
  auto shell = startPeer("LUMICASTER", shellLog);
  auto player = startPlayer(media().longAvi);
  ASSERT_TRUE(player->waitFor("[status] Play")) << player->dump().toStdString();
  key(suite::KeyPower);
  ASSERT_TRUE(player->finished());
  EXPECT_EQ(player->exitCode(), 0);
  QStringList words;
  for (const QString& l : logLines(shellLog))
    if (l.startsWith("send 0x4a ")) words << l.section(' ', 4);
  EXPECT_EQ(words, (QStringList{"2 0000000000000000", "1 0000000000000000"}));
}

TEST_F(PlayerProgramTest, PauseSeekVolumeAndStopKeepTheirPlaceAndARestartResumes) {
  const QString shellLog = env_.file("shell.log");
  auto shell = startPeer("LUMICASTER", shellLog);
  {
    auto player = startPlayer(media().longAvi);
    ASSERT_TRUE(player->waitFor("[status] Play")) << player->dump().toStdString();
    key(suite::KeyPause);
    ASSERT_TRUE(player->waitFor("[status] Pause"));
    key(suite::KeyRight);  // +10 s from where it paused, within the first second
    ASSERT_TRUE(player->waitForPrefix("[seek] 10")) << player->dump().toStdString();
    key(suite::KeyVolumeUp);
    ASSERT_TRUE(player->waitFor("[status] Volume 55")) << player->dump().toStdString();
    key(suite::KeyStop);  // stopping a paused movie keeps its place
    ASSERT_TRUE(player->waitFor("[status] Stop"));
    key(suite::KeyExit);
    ASSERT_TRUE(player->finished());
    EXPECT_EQ(player->exitCode(), 0);
  }
  const Key key = Key::open(Root::CurrentUser, kPlayerKey);
  quint32 volume = 0, seconds = 0;
  EXPECT_TRUE(key.readDWord("nVolume", volume));
  EXPECT_EQ(volume, 55u);
  EXPECT_TRUE(Key::open(Root::CurrentUser, kPlayerKey + "\\Bookmark").readDWord("long.avi", seconds));
  EXPECT_EQ(seconds, 10u);
  // Key 14 told the shell the player is gone (data word 1, eight zero bytes).
  EXPECT_TRUE(eventually([&] {
    for (const QString& l : logLines(shellLog))
      if (l.startsWith("send 0x4a ") && l.endsWith(" 0 1 0000000000000000")) return true;
    return false;
  })) << logLines(shellLog).join('\n').toStdString();

  auto again = startPlayer(media().longAvi);
  EXPECT_TRUE(again->waitFor("[seek] 10000 ms")) << again->dump().toStdString();
}

// A resume point brings the movie back there; the arrow step stops at the end
// of the movie, and a movie played to its end keeps no resume point.
TEST_F(PlayerProgramTest, TheArrowStepStopsAtTheEndAndTheEndForgetsTheResumePoint) {
  ASSERT_TRUE(Key::create(Root::CurrentUser, kPlayerKey + "\\Bookmark").writeDWord("long.avi", 5));
  auto player = startPlayer(media().longAvi);
  ASSERT_TRUE(player->waitFor("[seek] 5000 ms")) << player->dump().toStdString();
  key(suite::KeyRight);
  ASSERT_TRUE(player->waitFor("[status] The End")) << player->dump().toStdString();
  // The step went to the movie's end, not ten seconds past the resume point.
  const QStringList seeks = player->linesStarting("[seek] ");
  ASSERT_GE(seeks.size(), 2);
  const int target = seeks[1].section(' ', 1, 1).toInt();
  EXPECT_TRUE(target >= 12000 && target < 12200) << seeks.join(", ").toStdString();  // the 12-s movie's length
  quint32 seconds = 0;
  EXPECT_FALSE(Key::open(Root::CurrentUser, kPlayerKey + "\\Bookmark").readDWord("long.avi", seconds));
  EXPECT_EQ(desktop_->send(playerWindow(), suite::WM_SUITE_PING, 0, 0), 1);  // it stays open
}

TEST_F(PlayerProgramTest, APlaylistPlaysInOrderAndEnds) {
  const QString list = env_.file("MoviePlaylist.txt");
  QFile f(list);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  // The middle item is sound alone: it plays in the black window.
  f.write(("  " + media().mjpegAvi + "\r\n\r\n  \r\n" + media().mp3 + "\r\n" + media().mpeg4Avi + "\r\n").toUtf8());
  f.close();
  auto player = startPlayer("lst://" + list);
  ASSERT_TRUE(player->waitFor("[status] The End", 60000)) << player->dump().toStdString();
  EXPECT_EQ(player->linesStarting("[play] "),
            (QStringList{"[play] " + media().mjpegAvi, "[play] " + media().mp3, "[play] " + media().mpeg4Avi}));
  EXPECT_TRUE(player->lines().contains("[status] Play (1/3)"));
  EXPECT_TRUE(player->lines().contains("[status] Play (3/3)"));
  // The player stays open at the end.
  EXPECT_EQ(desktop_->send(playerWindow(), suite::WM_SUITE_PING, 0, 0), 1);
}

TEST_F(PlayerProgramTest, AVideoCdFolderPlaysItsTracksInNameOrder) {
  auto player = startPlayer("vcd://" + media().vcdRoot);
  ASSERT_TRUE(player->waitFor("[status] The End", 60000)) << player->dump().toStdString();
  const QString mpegav = QDir(media().vcdRoot).filePath("MPEGAV/");
  EXPECT_EQ(player->linesStarting("[play] "), (QStringList{"[play] " + mpegav + "AVSEQ01.DAT",
                                                           "[play] " + mpegav + "AVSEQ02.DAT",
                                                           "[play] " + mpegav + "avseq03.dat"}));
}

TEST_F(PlayerProgramTest, AnUnknownCodecAsksAndCancelEndsThePlayer) {
  auto player = startPlayer(media().unknownVideoAvi);
  ASSERT_TRUE(player->waitForPrefix("[message] 286")) << player->dump().toStdString();
  key(suite::KeyExit);  // reaches the question through the player's window
  ASSERT_TRUE(player->finished());
  EXPECT_EQ(player->exitCode(), 1);
}

// "mms" addresses are opened as they stand, without an existence check;
// "mmsh" is HTTP underneath.
TEST_F(PlayerProgramTest, AStreamAddressPlaysWithoutAFile) {
  FileServer server(media().mjpegAvi);
  const QString address = QStringLiteral("mmsh://127.0.0.1:%1/clip.avi").arg(server.port());
  auto player = startPlayer(address);
  ASSERT_TRUE(player->waitFor("[play] " + address)) << player->dump().toStdString();
  EXPECT_TRUE(player->waitFor("[status] Play"));
  EXPECT_GE(server.requests(), 1);
  EXPECT_TRUE(player->linesStarting("[message]").isEmpty());
}

TEST_F(PlayerProgramTest, CommandLinesThatPlayNothing) {
  {
    auto player = startPlayer(QString());
    ASSERT_TRUE(player->waitFor("[message] 270")) << player->dump().toStdString();
    answerMessage(suite::KeyOk);
    ASSERT_TRUE(player->finished());
    EXPECT_EQ(player->exitCode(), 0);
  }
  {
    auto player = startPlayer(env_.file("no such movie.avi"));
    ASSERT_TRUE(player->waitFor("[message] 325")) << player->dump().toStdString();
    answerMessage(suite::KeyOk);
    // The window stays, with nothing loaded.
    const desktop::WindowId w = playerWindow();
    ASSERT_NE(w, 0u);
    EXPECT_EQ(desktop_->send(w, suite::WM_SUITE_PING, 0, 0), 1);
    // A second start leaves the first one alone and ends at once.
    auto second = startPlayer(media().mjpegAvi);
    ASSERT_TRUE(second->finished());
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_TRUE(second->linesStarting("[play]").isEmpty());
    key(suite::KeyPower);
    ASSERT_TRUE(player->finished());
  }
}

// Caption pixels on the black movie: the bands of rows of the screen with
// bright pixels in them, one band per line of text.
int captionBands() {
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  const int w = screen->width_in_pixels, h = screen->height_in_pixels;
  int bands = 0;
  xcb_get_image_reply_t* image =
      xcb_get_image_reply(c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, screen->root, 0, 0, w, h, ~0u), nullptr);
  if (image && xcb_get_image_data_length(image) >= w * h * 4) {
    const quint8* data = xcb_get_image_data(image);
    bool inBand = false;
    for (int y = 0; y < h; ++y) {
      bool bright = false;
      for (int x = 0; x < w && !bright; ++x) {
        const quint8* p = data + (std::size_t(y) * w + x) * 4;
        bright = p[0] > 128 && p[1] > 128 && p[2] > 128;
      }
      if (bright && !inBand) ++bands;
      inBand = bright;
    }
  }
  free(image);
  xcb_disconnect(c);
  return bands;
}

// The player with captions drawn into the picture, on a black 8-s movie with
// a Korean caption file beside it: "안녕" / "하세요" from 1.0 s to 2.5 s, an
// empty entry at 4 s, a caption without an end at 6 s.
class PlayerCaptionsTest : public PlayerProgramTest {
 protected:
  void SetUp() override {
    PlayerProgramTest::SetUp();
    if (HasFatalFailure()) return;
    movie_ = env_.file("black.avi");
    const QString error = test::runPipeline(
        "videotestsrc pattern=black num-buffers=200 ! video/x-raw,width=320,height=240,framerate=25/1 ! jpegenc ! "
        "avimux name=m ! filesink location=" + movie_ +
        " audiotestsrc wave=silence num-buffers=345 ! audio/x-raw,format=S16LE,rate=44100,channels=2 ! m.");
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
  }
  void writeCaptions(const QByteArray& bytes) {
    QFile f(env_.file("black.smi"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }
  // The caption lines the player wrote: "[caption] <movie ms> ms <text>".
  static QStringList captions(Program& player) { return player.linesStarting("[caption] "); }
  static QString textOf(const QString& line) { return line.section(' ', 3).trimmed(); }
  static int msOf(const QString& line) { return line.section(' ', 1, 1).toInt(); }

  // Plays from where the movie is until the caption `text` is on the screen
  // (`onScreen`), and pauses there. The filter draws a caption into frames
  // that are shown a few frames later, so the caption's line comes before its
  // picture. A loaded machine may pause only after the next caption: then the
  // movie is stopped (back to its start) and played again. Only lines at
  // `fromMs` or later count (a stop's own clearing is at 0). The caption's line.
  QString pauseOn(Program& player, const QString& text, int fromMs, const std::function<bool()>& onScreen) {
    auto matches = [&](const QString& line) { return textOf(line) == text && msOf(line) >= fromMs; };
    for (int attempt = 0; attempt < 5; ++attempt) {
      const qsizetype before = captions(player).size();
      if (!eventually([&] {
            const QStringList lines = captions(player);
            for (qsizetype i = before; i < lines.size(); ++i)
              if (matches(lines[i])) return true;
            return false;
          }))
        return {};
      if (eventually(onScreen, 3000)) {
        const qsizetype pauses = player.linesStarting("[status] Pause").size();
        key(suite::KeyPause);
        if (!eventually([&] { return player.linesStarting("[status] Pause").size() > pauses; })) return {};
        const QStringList lines = captions(player);
        if (matches(lines.last()) && eventually(onScreen, 3000)) return lines.last();
      }
      stopAndPlay(player);
    }
    return {};
  }
  void stopAndPlay(Program& player) {
    stop(player);
    key(suite::KeyPlay);
  }
  void stop(Program& player) {
    const qsizetype stops = player.linesStarting("[status] Stop").size();
    key(suite::KeyStop);
    ASSERT_TRUE(eventually([&] { return player.linesStarting("[status] Stop").size() > stops; }));
  }
  // Keys typed on the player's window through the X server's test extension.
  void typeKeys(const QString& keys) {
    QProcess xdotool;
    xdotool.setProcessEnvironment(environment());
    xdotool.start("xdotool", {"windowfocus", "--sync", QString::number(playerWindow()), "key", keys});
    ASSERT_TRUE(xdotool.waitForFinished(20000) && xdotool.exitCode() == 0) << xdotool.readAll().toStdString();
  }

  QString movie_;
};

TEST_F(PlayerCaptionsTest, TheKoreanCaptionOnTwoLinesFromOneToTwoAndAHalfSeconds) {
  writeCaptions(test::encodeSami(test::koreanSamiText(), test::FileEncoding::Utf16LeBom));
  auto player = startPlayer(movie_);
  ASSERT_TRUE(player->waitFor("[status] Play")) << player->dump().toStdString();
  EXPECT_TRUE(player->lines().contains("[captions] Stream count: 2")) << player->dump().toStdString();

  // Paused within the caption: two lines of text in the picture.
  const QString shown = pauseOn(*player, QStringLiteral("안녕|하세요"), 0, [] { return captionBands() == 2; });
  ASSERT_FALSE(shown.isEmpty()) << captionBands() << "\n" << player->dump().toStdString();
  // Posted for the first frame at or after 1.0 s.
  EXPECT_GE(msOf(shown), 1000) << shown.toStdString();
  EXPECT_LT(msOf(shown), 2500) << shown.toStdString();

  // Stopped, the movie is back at its start, before any caption.
  stop(*player);
  EXPECT_TRUE(eventually([] { return captionBands() == 0; })) << captionBands();

  // Played again, the caption comes again, and the blank entry at 2.5 s takes
  // it away.
  key(suite::KeyPlay);
  ASSERT_FALSE(pauseOn(*player, QStringLiteral("안녕|하세요"), 0, [] { return captionBands() == 2; }).isEmpty())
      << player->dump().toStdString();
  key(suite::KeyPlay);
  const QString gone = pauseOn(*player, QString(), 2500, [] { return captionBands() == 0; });
  ASSERT_FALSE(gone.isEmpty()) << captionBands() << "\n" << player->dump().toStdString();
  EXPECT_LT(msOf(gone), 4000) << gone.toStdString();
  EXPECT_TRUE(player->linesStarting("[message]").isEmpty()) << player->dump().toStdString();
}

// Ctrl+Insert: captions 5 s earlier, so the caption due at 6 s comes at 1 s.
TEST_F(PlayerCaptionsTest, CtrlInsertBringsTheCaptionsFiveSecondsEarlier) {
  writeCaptions(test::encodeSami(test::koreanSamiText(), test::FileEncoding::Utf8));
  auto player = startPlayer(movie_);
  ASSERT_TRUE(player->waitFor("[status] Play")) << player->dump().toStdString();
  stop(*player);
  typeKeys("ctrl+Insert");
  key(suite::KeyPlay);
  const QString shown =
      pauseOn(*player, QStringLiteral("긴 자막, 다음 빈 자막이 없습니다"), 0, [] { return captionBands() > 0; });
  ASSERT_FALSE(shown.isEmpty()) << captionBands() << "\n" << player->dump().toStdString();
  // Without the step it would come at 6 s.
  EXPECT_GE(msOf(shown), 1000) << shown.toStdString();
  EXPECT_LT(msOf(shown), 2000) << shown.toStdString();
}

// The caption font is written at start when missing, and Ctrl+PageUp makes
// it 2 pixels larger, still as its 60 bytes.
TEST_F(PlayerCaptionsTest, CtrlPageUpMakesTheStoredCaptionFontLarger) {
  writeCaptions(test::encodeSami(test::koreanSamiText(), test::FileEncoding::Utf8Bom));
  auto height = [] {
    QByteArray bytes;
    if (!Key::open(Root::CurrentUser, kPlayerKey + "\\FONT").readBinary("LogFont", bytes) || bytes.size() != 60)
      return 0;
    qint32 h = 0;
    std::memcpy(&h, bytes.constData(), 4);
    return int(h);
  };
  auto player = startPlayer(movie_);
  ASSERT_TRUE(player->waitFor("[status] Play")) << player->dump().toStdString();
  ASSERT_EQ(height(), -37);
  typeKeys("ctrl+Prior");
  EXPECT_TRUE(eventually([&] { return height() == -39; })) << height();
}

// A caption file without a single SYNC is refused: 299/300, and the movie
// plays on without captions.
TEST_F(PlayerCaptionsTest, ACaptionFileWithoutSyncIsSaidAndTheMoviePlays) {
  writeCaptions("<SAMI><BODY><P Class=KRCC>안녕</BODY></SAMI>");
  auto player = startPlayer(movie_);
  ASSERT_TRUE(player->waitForPrefix("[message] 299")) << player->dump().toStdString();
  answerMessage(suite::KeyOk);
  EXPECT_TRUE(player->waitFor("[status] Play")) << player->dump().toStdString();
  EXPECT_TRUE(player->waitFor("[status] The End", 60000)) << player->dump().toStdString();
  for (const QString& line : captions(*player)) EXPECT_EQ(textOf(line), QString()) << line.toStdString();
}

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
