// The shell program as a user meets it: started for real on a private X
// server, driven by key codes from outside, watched through its pixels.
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <QCoreApplication>
#include <algorithm>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <memory>

#include "common/suite/PeerWindows.h"
#include "common/suite/SuiteMessages.h"
#include "platform/desktop/X11Desktop.h"
#include "platform/registry/Registry.h"
#include "tests/support/Eventually.h"
#include "tests/desktop/PeerProcess.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/ShellProbe.h"
#include "tests/support/TestPaths.h"
#include "tests/support/XServer.h"

using namespace lumi;
using desktop::WindowId;

namespace {

using lumi::test::eventually;

class ShellProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.ok()) << server_.error().toStdString();
    desktop_ = desktop::X11Desktop::create();
    ASSERT_TRUE(desktop_);
  }
  void TearDown() override {
    for (auto& p : processes_) {
      p->kill();
      p->waitForFinished(5000);
    }
  }
  QProcess* startShell(const QString& program = test::binary("Lumicaster.exe")) {
    auto p = std::make_unique<QProcess>();
    p->setProcessEnvironment(test::suiteProgramEnvironment());
    p->setProcessChannelMode(QProcess::ForwardedChannels);
    p->start(program, {});
    processes_.push_back(std::move(p));
    return processes_.back().get();
  }
  WindowId waitForShell() {
    WindowId shell = 0;
    eventually([&] { return (shell = suite::FindPeerWindow("LUMICASTER", *desktop_)) != 0; });
    return shell;
  }
  int highlighted(WindowId window) { return test::HighlightedTopMenuButton(desktop_->connection(), window); }
  int lumictl(const QStringList& args) {
    QProcess p;
    p.start(test::binary("lumictl"), args);
    p.waitForFinished(20000);
    return p.exitCode();
  }

  test::PrivateEnvironment env_;
  test::XServer server_;
  std::unique_ptr<desktop::X11Desktop> desktop_;
  std::vector<std::unique_ptr<QProcess>> processes_;
};

TEST_F(ShellProgram, KeyCodesFromOutsideMoveTheHighlight) {
  startShell();
  const WindowId shell = waitForShell();
  ASSERT_NE(shell, 0u) << "the shell did not come up";
  ASSERT_TRUE(eventually([&] { return highlighted(shell) == 0; }));

  EXPECT_EQ(lumictl({"key", "LUMICASTER", "16"}), 0);
  EXPECT_TRUE(eventually([&] { return highlighted(shell) == 1; })) << highlighted(shell);
  desktop_->post(shell, suite::WM_REMOTE_KEY, suite::KeyUp, 0);
  desktop_->post(shell, suite::WM_REMOTE_KEY, suite::KeyUp, 0);
  EXPECT_TRUE(eventually([&] { return highlighted(shell) == 4; })) << "Up on the first button wraps to Exit";

  // Up to "내 컴퓨터", OK opens the menu window, which becomes the key target.
  desktop_->post(shell, suite::WM_REMOTE_KEY, suite::KeyDown, 0);
  desktop_->post(shell, suite::WM_REMOTE_KEY, suite::KeyOk, 0);
  WindowId menu = 0;
  EXPECT_TRUE(eventually([&] { return (menu = suite::FindPeerWindow("My computer", *desktop_)) != 0; }));
  desktop_->post(shell, suite::WM_REMOTE_KEY, suite::KeyExit, 0);
  EXPECT_TRUE(eventually([&] { return suite::FindPeerWindow("My computer", *desktop_) == 0; }))
      << "Back on the menu returns to the main window";
}

TEST_F(ShellProgram, FrameKeysActInEveryScreen) {
  startShell();
  const WindowId shell = waitForShell();
  ASSERT_NE(shell, 0u);
  desktop_->post(shell, suite::WM_REMOTE_KEY, suite::KeyOk, 0);
  ASSERT_TRUE(eventually([&] { return suite::FindPeerWindow("My computer", *desktop_) != 0; }));
  auto volume = [] {
    quint32 value = 0;
    registry::Key::open(registry::Root::CurrentUser, "Software\\Quelmar\\Lumicaster").readDWord("Volume", value);
    return value;
  };
  ASSERT_EQ(volume(), 1000u);
  desktop_->post(shell, suite::WM_REMOTE_KEY, suite::KeyVolumeUp, 0);
  EXPECT_TRUE(eventually([&] { return volume() == 800u; })) << "volume up on the menu window";
}

TEST_F(ShellProgram, WithoutAWindowManagerMinimisingHidesTheShell) {
  startShell();
  const WindowId shell = waitForShell();
  ASSERT_NE(shell, 0u);
  auto viewable = [&] {
    xcb_connection_t* c = desktop_->connection();
    auto* attributes = xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, xcb_window_t(shell)), nullptr);
    const bool shown = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(attributes);
    return shown;
  };
  ASSERT_TRUE(eventually(viewable));
  // "최소화" in the exit dialog, then the power key to come back.
  desktop_->post(shell, suite::WM_REMOTE_KEY, suite::KeyExit, 0);
  ASSERT_TRUE(eventually([&] { return suite::FindPeerWindow("MessageDlg", *desktop_) != 0; }));
  desktop_->post(shell, suite::WM_REMOTE_KEY, suite::KeyRight, 0);
  desktop_->post(shell, suite::WM_REMOTE_KEY, suite::KeyOk, 0);
  EXPECT_TRUE(eventually([&] { return !viewable(); })) << "nothing else would show it minimised";
  EXPECT_EQ(suite::FindPeerWindow("LUMICASTER", *desktop_), shell) << "still running and found";
  desktop_->post(shell, suite::WM_REMOTE_KEY, suite::KeyPower, 0);
  EXPECT_TRUE(eventually(viewable));
  ASSERT_TRUE(eventually([&] { return highlighted(shell) == 4; })) << "the same screen as before";
}

TEST_F(ShellProgram, WindowsCarryTheSuitesBigAndSmallIcons) {
  startShell();
  const WindowId shell = waitForShell();
  ASSERT_NE(shell, 0u);
  desktop_->post(shell, suite::WM_REMOTE_KEY, suite::KeyOk, 0);
  WindowId menu = 0;
  ASSERT_TRUE(eventually([&] { return (menu = suite::FindPeerWindow("My computer", *desktop_)) != 0; }));
  xcb_connection_t* c = desktop_->connection();
  const char name[] = "_NET_WM_ICON";
  auto* atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, sizeof name - 1, name), nullptr);
  ASSERT_NE(atom, nullptr);
  for (WindowId window : {shell, menu}) {
    auto* icon = xcb_get_property_reply(
        c, xcb_get_property(c, 0, xcb_window_t(window), atom->atom, XCB_ATOM_CARDINAL, 0, 1 << 16), nullptr);
    ASSERT_NE(icon, nullptr);
    // Width, height, then that many pixels, for each size.
    const auto* words = static_cast<const std::uint32_t*>(xcb_get_property_value(icon));
    const int count = xcb_get_property_value_length(icon) / 4;
    std::vector<std::uint32_t> sizes;
    for (int i = 0; i + 1 < count; i += 2 + int(words[i] * words[i + 1])) {
      if (words[i] == words[i + 1]) sizes.push_back(words[i]);
    }
    std::free(icon);
    EXPECT_NE(std::find(sizes.begin(), sizes.end(), 16u), sizes.end()) << "the small icon";
    EXPECT_NE(std::find(sizes.begin(), sizes.end(), 32u), sizes.end()) << "the big icon";
  }
  std::free(atom);
}

TEST_F(ShellProgram, BackOnTheMainWindowOpensTheExitDialogAndExitEndsTheShell) {
  QProcess* process = startShell();
  const WindowId shell = waitForShell();
  ASSERT_NE(shell, 0u);
  desktop_->post(shell, suite::WM_REMOTE_KEY, suite::KeyExit, 0);
  EXPECT_TRUE(eventually([&] { return suite::FindPeerWindow("MessageDlg", *desktop_) != 0; }));
  // The dialog is now the current window: the main window passes it the key.
  desktop_->post(shell, suite::WM_REMOTE_KEY, suite::KeyOk, 0);
  ASSERT_TRUE(process->waitForFinished(10000));
  EXPECT_EQ(process->exitCode(), 0);
}

TEST_F(ShellProgram, ASecondStartHandsOverAndEnds) {
  startShell();
  const WindowId shell = waitForShell();
  ASSERT_NE(shell, 0u);
  QProcess* second = startShell();
  ASSERT_TRUE(second->waitForFinished(15000));
  EXPECT_EQ(second->exitCode(), 0);
  int suiteWindows = 0;
  for (WindowId w : desktop_->windowsTitled("LUMICASTER")) suiteWindows += suite::AnswersPing(w, *desktop_);
  EXPECT_EQ(suiteWindows, 1);
}

TEST_F(ShellProgram, KeysGoToTheMoviePlayerWhileItRuns) {
  startShell();
  const WindowId shell = waitForShell();
  ASSERT_NE(shell, 0u);
  ASSERT_TRUE(eventually([&] { return highlighted(shell) == 0; }));
  test::PeerProcess player("Lumicaster Movie Player", {"--hidden"}, env_.file("player.log"));
  ASSERT_TRUE(player.ready());
  desktop_->post(shell, suite::WM_REMOTE_KEY, suite::KeyDown, 0);
  ASSERT_TRUE(player.waitForLog("send 0x4a"));
  EXPECT_EQ(player.logLines().first(), QStringLiteral("send 0x4a %1 0 16 ").arg(shell));
  QThread::msleep(300);
  EXPECT_EQ(highlighted(shell), 0) << "the menu does not move while the player has the keys";
}

TEST_F(ShellProgram, RefusesToStartWithoutTheResourceLibrary) {
  QDir folder(env_.path());
  folder.mkpath("bare");
  const QString lonely = folder.filePath("bare/Lumicaster.exe");
  ASSERT_TRUE(QFile::copy(test::binary("Lumicaster.exe"), lonely));
  startShell(lonely);
  // Its message box comes up titled like the shell, but no shell answers.
  EXPECT_TRUE(eventually([&] { return !desktop_->windowsTitled("LUMICASTER").empty(); }));
  EXPECT_EQ(suite::FindPeerWindow("LUMICASTER", *desktop_), 0u);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
