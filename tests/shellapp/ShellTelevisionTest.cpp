// The shell in television mode on a desktop like a TV PC's: a private Xvfb at
// 1920 x 1080 whose output also lists 800 x 600, openbox as the window
// manager, the real XRandR display port. Every way the shell ends gives the
// display back, and a shell started after one that could not still does.
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <QCoreApplication>
#include <QProcess>
#include <QRect>
#include <algorithm>
#include <csignal>
#include <cstring>
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

  xcb_atom_t atom(const char* name) {
    xcb_connection_t* c = desktop_->connection();
    auto* reply = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = reply ? reply->atom : XCB_ATOM_NONE;
    std::free(reply);
    return a;
  }
  std::vector<xcb_atom_t> windowStates(WindowId window) {
    xcb_connection_t* c = desktop_->connection();
    auto* reply = xcb_get_property_reply(
        c, xcb_get_property(c, 0, xcb_window_t(window), atom("_NET_WM_STATE"), XCB_ATOM_ATOM, 0, 32), nullptr);
    std::vector<xcb_atom_t> states;
    if (reply) {
      auto* values = static_cast<xcb_atom_t*>(xcb_get_property_value(reply));
      states.assign(values, values + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    return states;
  }
  bool hasState(WindowId window, const char* state) {
    const std::vector<xcb_atom_t> states = windowStates(window);
    return std::find(states.begin(), states.end(), atom(state)) != states.end();
  }
  // A panel along the top edge, as a desktop's would be: a dock that keeps
  // its strip free of other windows.
  xcb_window_t startPanel() {
    xcb_connection_t* c = desktop_->connection();
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t panel = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, panel, screen->root, 0, 0, uint16_t(kDesktop.width), 40, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    const xcb_atom_t dock = atom("_NET_WM_WINDOW_TYPE_DOCK");
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, panel, atom("_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, 32, 1, &dock);
    const uint32_t strut[12] = {0, 0, 40, 0, 0, 0, 0, 0, 0, uint32_t(kDesktop.width - 1), 0, 0};
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, panel, atom("_NET_WM_STRUT_PARTIAL"), XCB_ATOM_CARDINAL, 32, 12,
                        strut);
    xcb_map_window(c, panel);
    xcb_flush(c);
    return panel;
  }
  // An ordinary program's window, as the browser's would be.
  xcb_window_t startWindow() {
    xcb_connection_t* c = desktop_->connection();
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t window = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 100, 100, 400, 300, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    xcb_map_window(c, window);
    xcb_flush(c);
    // The window manager ignores activating a window it has not framed yet.
    eventually([&] { return topLevelOf(window) != window; });
    // Activated the way a program started from a panel or a launcher is.
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = atom("_NET_ACTIVE_WINDOW");
    event.data.data32[0] = 2;
    xcb_send_event(c, 0, screen->root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(c);
    return window;
  }
  // The root's child that holds `window` (its window manager frame).
  xcb_window_t topLevelOf(xcb_window_t window) {
    xcb_connection_t* c = desktop_->connection();
    for (;;) {
      auto* tree = xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr);
      if (!tree) return XCB_NONE;
      const xcb_window_t parent = tree->parent, root = tree->root;
      std::free(tree);
      if (parent == root || parent == XCB_NONE) return window;
      window = parent;
    }
  }
  // Whether `upper` is stacked above `lower` among the root's children.
  bool stackedAbove(xcb_window_t upper, xcb_window_t lower) {
    xcb_connection_t* c = desktop_->connection();
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const xcb_window_t a = topLevelOf(upper), b = topLevelOf(lower);
    auto* tree = xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr);
    if (!tree) return false;
    const xcb_window_t* children = xcb_query_tree_children(tree);  // bottom first
    const int count = xcb_query_tree_children_length(tree);
    int ia = -1, ib = -1;
    for (int i = 0; i < count; ++i) {
      if (children[i] == a) ia = i;
      if (children[i] == b) ib = i;
    }
    std::free(tree);
    return ia >= 0 && ib >= 0 && ia > ib;
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
  // The exit dialog agrees: centred on the same switched screen.
  desktop_->post(shell, suite::WM_REMOTE_KEY, suite::KeyExit, 0);
  WindowId dialog = 0;
  ASSERT_TRUE(eventually([&] { return (dialog = suite::FindPeerWindow("MessageDlg", *desktop_)) != 0; }));
  EXPECT_TRUE(eventually([&] { return onScreen(dialog) == QRect(94, 127, 611, 345); })) << str(onScreen(dialog));
}

TEST_F(ShellTelevision, NoPanelCoversThePicture) {
  const xcb_window_t panel = startPanel();
  startShell();
  const WindowId shell = waitForShell();
  ASSERT_NE(shell, 0u);
  ASSERT_TRUE(outputBecomes(kTelevision));
  EXPECT_TRUE(eventually([&] { return hasState(shell, "_NET_WM_STATE_FULLSCREEN"); }));
  EXPECT_TRUE(eventually([&] { return stackedAbove(xcb_window_t(shell), panel); }));
  EXPECT_TRUE(eventually([&] { return onScreen(shell) == QRect(0, 0, 800, 600); })) << str(onScreen(shell));

  // The exit dialog stays with the shell, over the panel.
  desktop_->post(shell, suite::WM_REMOTE_KEY, suite::KeyExit, 0);
  WindowId dialog = 0;
  ASSERT_TRUE(eventually([&] { return (dialog = suite::FindPeerWindow("MessageDlg", *desktop_)) != 0; }));
  EXPECT_TRUE(eventually([&] { return stackedAbove(xcb_window_t(dialog), panel); }));
  desktop_->post(shell, suite::WM_REMOTE_KEY, suite::KeyExit, 0);
  ASSERT_TRUE(eventually([&] { return suite::FindPeerWindow("MessageDlg", *desktop_) == 0; }));

  // The "내 컴퓨터" menu over it, and the minimised shell back again.
  desktop_->post(shell, suite::WM_REMOTE_KEY, suite::KeyChannelUp, 0);
  desktop_->post(shell, suite::WM_REMOTE_KEY, suite::KeyOk, 0);
  WindowId menu = 0;
  ASSERT_TRUE(eventually([&] { return (menu = suite::FindPeerWindow("My computer", *desktop_)) != 0; }));
  EXPECT_TRUE(eventually([&] { return stackedAbove(xcb_window_t(menu), panel); }));
  desktop_->post(shell, suite::WM_REMOTE_KEY, suite::KeyPower, 0);
  ASSERT_TRUE(outputBecomes(kDesktop));
  desktop_->post(shell, suite::WM_REMOTE_KEY, suite::KeyPower, 0);
  ASSERT_TRUE(outputBecomes(kTelevision));
  EXPECT_TRUE(eventually([&] { return hasState(menu, "_NET_WM_STATE_FULLSCREEN"); }));
  EXPECT_TRUE(eventually([&] { return stackedAbove(xcb_window_t(menu), panel); }));
  EXPECT_TRUE(eventually([&] { return onScreen(menu) == QRect(0, 0, 800, 600); })) << str(onScreen(menu));

  // A program opened from the shell (the product site's browser) comes over
  // it: the shell is full screen, not above everything.
  const xcb_window_t browser = startWindow();
  EXPECT_TRUE(eventually([&] { return stackedAbove(browser, xcb_window_t(menu)); }));
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
