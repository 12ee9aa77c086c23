// The real shell and the real player together on a private X server, driven
// by key codes alone: from the shell's main menu through the movie browser to
// a playing movie, sought and paused through the shell's key forwarding, and
// back to the browser when the player is left.
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <cstring>

#include "common/suite/PeerWindows.h"
#include "common/suite/SuiteMessages.h"
#include "platform/desktop/X11Desktop.h"
#include "platform/registry/Registry.h"
#include "tests/player/PlayerMedia.h"
#include "tests/support/Eventually.h"
#include "tests/support/ShellProbe.h"
#include "tests/support/TestPaths.h"
#include "tests/support/XServer.h"

using namespace lumi;
using desktop::WindowId;
using lumi::registry::Key;
using lumi::registry::Root;
using lumi::test::eventually;

namespace {

const QString kRoot = QStringLiteral("Software\\Quelmar\\Lumicaster");

quint32 rootPixel(xcb_connection_t* c, int x, int y) {
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  quint32 pixel = 0;
  xcb_get_image_reply_t* image = xcb_get_image_reply(
      c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, screen->root, x, y, 1, 1, ~0u), nullptr);
  if (image && xcb_get_image_data_length(image) >= 4) std::memcpy(&pixel, xcb_get_image_data(image), 4);
  free(image);
  return pixel & 0xFFFFFF;
}

bool reddish(quint32 rgb) { return ((rgb >> 16) & 0xFF) > 200 && ((rgb >> 8) & 0xFF) < 60 && (rgb & 0xFF) < 60; }

class PlayerPairing : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.ok()) << server_.error().toStdString();
    ASSERT_TRUE(test::playerMedia().error.isEmpty()) << test::playerMedia().error.toStdString();
    desktop_ = desktop::X11Desktop::create();
    ASSERT_TRUE(desktop_);
    data_ = env_.file("data") + "/";
    QDir().mkpath(data_);
    Key::create(Root::CurrentUser, kRoot + "\\Client").writeString("Path", data_);
    // The shell starts the player from its client folder.
    ASSERT_TRUE(QFile::link(test::binary("Cinevane.exe"), data_ + "Cinevane.exe"));
    drive_ = env_.file("drive");
    QDir().mkpath(drive_ + "/Films");
    ASSERT_TRUE(QFile::copy(test::playerMedia().longAvi, drive_ + "/Films/Red movie.avi"));
    Key::create(Root::CurrentUser, kRoot + "\\Drives").writeString("C", drive_);
    Key::create(Root::CurrentUser, kRoot + "\\Cinevane").writeDWord("bOverlayMode", 0);
  }
  void TearDown() override {
    if (WindowId player = suite::FindPeerWindow(suite::kPlayerTitle, *desktop_))
      ::kill(pid_t(desktop_->windowProcess(player)), SIGKILL);
    shell_.kill();
    shell_.waitForFinished(5000);
  }
  void key(int code) {
    desktop_->post(shellWindow_, suite::WM_REMOTE_KEY, quint64(code), 0);
    QThread::msleep(300);
  }
  WindowId waitFor(const QString& title) {
    WindowId w = 0;
    eventually([&] { return (w = suite::FindPeerWindow(title, *desktop_)) != 0; });
    return w;
  }

  test::PrivateEnvironment env_;
  test::XServer server_;
  std::unique_ptr<desktop::X11Desktop> desktop_;
  QProcess shell_;
  WindowId shellWindow_ = 0;
  QString data_, drive_;
};

}  // namespace

TEST_F(PlayerPairing, KeyCodesAloneGoFromTheMainMenuToAPlayingMovieAndBack) {
  QProcessEnvironment env = test::suiteProgramEnvironment();
  shell_.setProcessEnvironment(env);
  shell_.setProcessChannelMode(QProcess::ForwardedChannels);
  shell_.start(test::binary("Lumicaster.exe"), {});
  ASSERT_TRUE(shellWindow_ = waitFor("LUMICASTER"));
  ASSERT_TRUE(eventually([&] { return test::HighlightedTopMenuButton(desktop_->connection(), shellWindow_) == 0; }));
  key(suite::KeyOk);  // "My computer"
  ASSERT_TRUE(waitFor("My computer"));
  key(suite::KeyOk);  // "Movie"
  ASSERT_TRUE(waitFor("Movie"));
  key(suite::KeyDown);  // "Search": scan drive C:
  key(suite::KeyOk);
  QThread::msleep(1000);
  key(suite::KeyRight);  // into the folder list
  key(suite::KeyOk);     // "Films"
  // OK on the movie once the file list shows it.
  WindowId player = 0;
  ASSERT_TRUE(eventually([&] {
    if ((player = suite::FindPeerWindow(suite::kPlayerTitle, *desktop_))) return true;
    key(suite::KeyOk);
    return (player = suite::FindPeerWindow(suite::kPlayerTitle, *desktop_)) != 0;
  }, 20000));
  // The picture on screen, full screen.
  EXPECT_TRUE(eventually([&] { return reddish(rootPixel(desktop_->connection(), 512, 384)); }, 15000));
  // Keys still go to the shell, which passes them on: ten seconds on, pause.
  key(suite::KeyRight);
  key(suite::KeyPause);
  QThread::msleep(500);
  key(suite::KeyExit);  // leave the player
  ASSERT_TRUE(eventually([&] { return suite::FindPeerWindow(suite::kPlayerTitle, *desktop_) == 0; }, 15000));
  // Left paused at ten seconds: the resume point says so.
  quint32 seconds = 0;
  EXPECT_TRUE(Key::open(Root::CurrentUser, kRoot + "\\Cinevane\\Bookmark").readDWord("Red movie.avi", seconds));
  EXPECT_EQ(seconds, 10u);
  // The browser is back, on screen.
  EXPECT_TRUE(eventually([&] {
    const WindowId browser = suite::FindPeerWindow("Movie", *desktop_);
    if (!browser) return false;
    xcb_connection_t* c = desktop_->connection();
    auto* a = xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, xcb_window_t(browser)), nullptr);
    const bool viewable = a && a->map_state == XCB_MAP_STATE_VIEWABLE;
    free(a);
    return viewable;
  }));
}

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
