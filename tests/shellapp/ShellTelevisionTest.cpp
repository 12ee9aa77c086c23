// The shell in television mode on a desktop like a TV PC's: a private Xvfb at
// 1920 x 1080 whose output also lists 800 x 600, openbox as the window
// manager, the real XRandR display port. Every way the shell ends gives the
// display back, and a shell started after one that could not still does.
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <QCoreApplication>
#include <QProcess>
#include <QRect>
#include <csignal>
#include <cstdlib>
#include <memory>

#include "common/suite/PeerWindows.h"
#include "common/suite/SuiteMessages.h"
#include "platform/desktop/X11Desktop.h"
#include "tests/support/Eventually.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/RandrModes.h"
#include "tests/support/TestPaths.h"
#include "tests/support/XServer.h"

using namespace lumi;
using desktop::WindowId;
using test::eventually;
using test::OutputSize;

namespace {

std::string str(const QRect& r) {
  return QStringLiteral("(%1, %2) %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()).toStdString();
}

const OutputSize kDesktop{1920, 1080};
const OutputSize kTelevision{800, 600};

class ShellTelevision : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.ok()) << server_.error().toStdString();
    ASSERT_TRUE(test::AddOutputMode(server_.display(), test::kVesa800x600at60));
    desktop_ = desktop::X11Desktop::create();
    ASSERT_TRUE(desktop_);
  }
  void TearDown() override {
    for (auto& p : processes_) {
      p->kill();
      p->waitForFinished(5000);
    }
  }
  QProcess* startShell() {
    auto p = std::make_unique<QProcess>();
    QProcessEnvironment env = test::suiteProgramEnvironment();
    env.insert("LUMICASTER_PORTS", "xrandr");
    p->setProcessEnvironment(env);
    p->setProcessChannelMode(QProcess::ForwardedChannels);
    p->start(test::binary("Lumicaster.exe"), {});
    processes_.push_back(std::move(p));
    return processes_.back().get();
  }
  WindowId waitForShell() {
    WindowId shell = 0;
    eventually([&] { return (shell = suite::FindPeerWindow("LUMICASTER", *desktop_)) != 0; });
    return shell;
  }
  OutputSize output() const { return test::CurrentOutputSize(server_.display()); }
  bool outputBecomes(OutputSize size) {
    return eventually([&] { return output() == size; });
  }
  // Where the window lies on the screen, whatever frame the window manager
  // put around it.
  QRect onScreen(WindowId window) {
    xcb_connection_t* c = desktop_->connection();
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    QRect rect;
    auto* geometry = xcb_get_geometry_reply(c, xcb_get_geometry(c, xcb_window_t(window)), nullptr);
    auto* origin = xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, xcb_window_t(window), root, 0, 0),
                                                   nullptr);
    if (geometry && origin) rect = QRect(origin->dst_x, origin->dst_y, geometry->width, geometry->height);
    std::free(geometry);
    std::free(origin);
    return rect;
  }
  // What a panel's close button or Alt+F4 does: it asks the window manager,
  // which sends the window WM_DELETE_WINDOW.
  void closeThroughWindowManager(WindowId window) {
    xcb_connection_t* c = desktop_->connection();
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const char name[] = "_NET_CLOSE_WINDOW";
    auto* atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, sizeof name - 1, name), nullptr);
    ASSERT_NE(atom, nullptr);
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = xcb_window_t(window);
    event.type = atom->atom;
    event.data.data32[0] = XCB_CURRENT_TIME;
    event.data.data32[1] = 2;  // from a pager or panel
    xcb_send_event(c, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(c);
    std::free(atom);
  }

  test::PrivateEnvironment env_;
  test::XServer server_{test::XServer::WindowManager::Openbox, kDesktop.width, kDesktop.height};
  std::unique_ptr<desktop::X11Desktop> desktop_;
  std::vector<std::unique_ptr<QProcess>> processes_;
};

TEST_F(ShellTelevision, MenuLiesCentredOnTheSwitchedScreen) {
  startShell();
  const WindowId shell = waitForShell();
  ASSERT_NE(shell, 0u);
  ASSERT_TRUE(outputBecomes(kTelevision));
  EXPECT_TRUE(eventually([&] { return onScreen(shell) == QRect(0, 0, 800, 600); })) << str(onScreen(shell));
}

TEST_F(ShellTelevision, WindowManagerCloseEndsTheShellAndGivesTheDisplayBack) {
  QProcess* shell = startShell();
  const WindowId window = waitForShell();
  ASSERT_NE(window, 0u);
  ASSERT_TRUE(outputBecomes(kTelevision));
  closeThroughWindowManager(window);
  ASSERT_TRUE(shell->waitForFinished(10000)) << "no invisible shell is left behind";
  EXPECT_EQ(shell->exitCode(), 0);
  EXPECT_EQ(output(), kDesktop);

  startShell();
  EXPECT_NE(waitForShell(), 0u) << "the next start is not blocked";
}

TEST_F(ShellTelevision, EndingSignalsGoThroughTheShellsExit) {
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(signal);
    QProcess* shell = startShell();
    ASSERT_NE(waitForShell(), 0u);
    ASSERT_TRUE(outputBecomes(kTelevision));
    ::kill(pid_t(shell->processId()), signal);
    ASSERT_TRUE(shell->waitForFinished(10000));
    EXPECT_EQ(shell->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(shell->exitCode(), 0);
    EXPECT_EQ(output(), kDesktop);
    EXPECT_TRUE(eventually([&] { return suite::FindPeerWindow("LUMICASTER", *desktop_) == 0; }));
  }
}

TEST_F(ShellTelevision, AShellStartedAfterAKilledOneGivesBackTheOriginalMode) {
  QProcess* killed = startShell();
  ASSERT_NE(waitForShell(), 0u);
  ASSERT_TRUE(outputBecomes(kTelevision));
  killed->kill();
  ASSERT_TRUE(killed->waitForFinished(5000));
  EXPECT_EQ(output(), kTelevision) << "a killed shell cannot give anything back";
  ASSERT_TRUE(eventually([&] { return suite::FindPeerWindow("LUMICASTER", *desktop_) == 0; }));

  QProcess* next = startShell();
  const WindowId window = waitForShell();
  ASSERT_NE(window, 0u);
  EXPECT_TRUE(eventually([&] { return onScreen(window) == QRect(0, 0, 800, 600); })) << str(onScreen(window));
  ::kill(pid_t(next->processId()), SIGTERM);
  ASSERT_TRUE(next->waitForFinished(10000));
  EXPECT_EQ(output(), kDesktop) << "not 800 x 600 taken for the original";
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
