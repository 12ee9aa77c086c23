// The desktop layer on a real X server, with real processes: on a bare Xvfb
// and under a reparenting EWMH window manager (openbox).
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <cstring>
#include <memory>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include "common/suite/PeerWindows.h"
#include "common/suite/SuiteMessages.h"
#include "platform/desktop/Process.h"
#include "platform/desktop/X11Desktop.h"
#include "tests/support/Eventually.h"
#include "tests/desktop/PeerProcess.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TestPaths.h"
#include "tests/support/XServer.h"

using namespace lumi;
using desktop::WindowId;
using desktop::X11Desktop;
using test::PeerProcess;
using test::XServer;

namespace {

using lumi::test::eventually;

// A plain X client's window: what another program on the desktop shows.
xcb_window_t createForeignWindow(xcb_connection_t* c, const QByteArray& title) {
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  const xcb_window_t w = xcb_generate_id(c);
  xcb_create_window(c, XCB_COPY_FROM_PARENT, w, screen->root, 0, 0, 150, 100, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                    screen->root_visual, 0, nullptr);
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, title.size(), title.data());
  xcb_map_window(c, w);
  const std::uint32_t above = XCB_STACK_MODE_ABOVE;
  xcb_configure_window(c, w, XCB_CONFIG_WINDOW_STACK_MODE, &above);
  xcb_flush(c);
  return w;
}

class X11DesktopTest : public ::testing::TestWithParam<XServer::WindowManager> {
 protected:
  void SetUp() override {
    env_ = std::make_unique<test::PrivateEnvironment>();
    server_ = std::make_unique<XServer>(GetParam());
    ASSERT_TRUE(server_->ok()) << server_->error().toStdString();
    desktop_ = X11Desktop::create();
    ASSERT_TRUE(desktop_);
    ASSERT_EQ(desktop_->windowManagerRunning(), GetParam() == XServer::WindowManager::Openbox);
  }
  void TearDown() override {
    desktop_.reset();
    server_.reset();
    env_.reset();
  }
  std::unique_ptr<PeerProcess> start(const QString& title, const QStringList& extra = {}) {
    auto peer = std::make_unique<PeerProcess>(title, extra, env_->file(title + ".log"));
    EXPECT_TRUE(peer->ready()) << "suite-test-window did not start";
    // Under a window manager the window counts once it is managed.
    EXPECT_TRUE(eventually([&] { return !desktop_->windowsTitled(title).empty(); }));
    return peer;
  }

  std::unique_ptr<test::PrivateEnvironment> env_;
  std::unique_ptr<XServer> server_;
  std::unique_ptr<X11Desktop> desktop_;
};

TEST_P(X11DesktopTest, FindPeerWindowPassesOverAForeignWindowWithTheSameTitle) {
  auto shell = start("LUMICASTER");
  const xcb_window_t foreign = createForeignWindow(desktop_->connection(), "LUMICASTER");
  // A window manager may put a new window below the focused one.
  ASSERT_TRUE(eventually([&] {
    desktop_->bringToFront(foreign);
    const auto titled = desktop_->windowsTitled("LUMICASTER");
    return titled.size() == 2 && titled.front() == foreign;
  }));

  const auto titled = desktop_->windowsTitled("LUMICASTER");
  EXPECT_EQ(titled.front(), foreign) << "the foreign window is found first";
  EXPECT_EQ(desktop_->send(foreign, suite::WM_SUITE_PING, 0, 0), 0);
  EXPECT_EQ(suite::FindPeerWindow("LUMICASTER", *desktop_), shell->window());
  EXPECT_EQ(desktop_->windowProcess(shell->window()), shell->pid());
  EXPECT_EQ(suite::FindPeerWindow("Freshwell", *desktop_), 0u);
}

TEST_P(X11DesktopTest, ForegroundFollowsBringToFront) {
  auto first = start("First");
  auto second = start("Second");
  for (const auto* peer : {first.get(), second.get(), first.get()}) {
    const auto* other = peer == first.get() ? second.get() : first.get();
    ASSERT_TRUE(suite::BringToForeground(peer->window(), *desktop_));
    EXPECT_TRUE(eventually([&] { return desktop_->foregroundWindow() == peer->window(); }))
        << "foreground is 0x" << std::hex << desktop_->foregroundWindow();
    const auto order = desktop_->topLevelWindows();
    EXPECT_LT(std::find(order.begin(), order.end(), peer->window()), std::find(order.begin(), order.end(), other->window()))
        << "the window in front is above the other one";
  }
}

TEST_P(X11DesktopTest, ClosingAProgramThatIgnoresCloseStillEndsIt) {
  auto stubborn = start("Freshwell", {"--ignore-close"});
  const WindowId window = stubborn->window();
  ASSERT_EQ(desktop_->send(window, suite::WM_SUITE_PING, 0, 0), 1);

  EXPECT_TRUE(suite::CloseSuiteProgram(window, suite::GoneWhen::PingFails, 10000, *desktop_));
  EXPECT_EQ(desktop_->send(window, suite::WM_SUITE_PING, 0, 0), 0);
  EXPECT_TRUE(stubborn->process().waitForFinished(5000));
  EXPECT_TRUE(eventually([&] { return !desktop_->windowExists(window); }));
}

TEST_P(X11DesktopTest, PostedMessagesArriveInOrderAndCopyDataWithItsData) {
  auto peer = start("LUMICASTER");
  EXPECT_EQ(desktop_->sendCopyData(peer->window(), 0x1234, suite::kCopySecondStart, QByteArray("\0\1\2", 3)), 0);
  for (int key : {suite::KeyDown, suite::KeyUp, suite::KeyOk})
    ASSERT_TRUE(desktop_->post(peer->window(), suite::WM_REMOTE_KEY, key, 0));
  ASSERT_TRUE(peer->waitForLog("post 0x465 13"));
  EXPECT_EQ(peer->logLines(), QStringList({"send 0x4a 4660 0 12 000102", "post 0x465 16 0 0 ", "post 0x465 15 0 0 ",
                                           "post 0x465 13 0 0 "}));
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, X11DesktopTest,
                         ::testing::Values(XServer::WindowManager::None, XServer::WindowManager::Openbox),
                         [](const auto& info) {
                           return info.param == XServer::WindowManager::None ? "BareX" : "Openbox";
                         });

// Message delivery between processes needs no window manager.
class X11MessagesTest : public X11DesktopTest {};

TEST_P(X11MessagesTest, TwoProgramsSendingToEachOtherAtOnceBothGetTheirAnswer) {
  // Each one, on 0x401, sends 0x402 to the other, which answers 7 after
  // 300 ms: both are waiting for an answer when the other's message comes.
  auto a = start("A", {"--relay", "0x401:B:0x402", "--answer", "0x402=7", "--delay", "0x402=300"});
  auto b = start("B", {"--relay", "0x401:A:0x402", "--answer", "0x402=7", "--delay", "0x402=300"});
  ASSERT_TRUE(desktop_->post(a->window(), 0x401, 0, 0));
  ASSERT_TRUE(desktop_->post(b->window(), 0x401, 0, 0));
  EXPECT_TRUE(a->waitForLog("relay-result", 8000));
  EXPECT_TRUE(b->waitForLog("relay-result", 8000));
  EXPECT_TRUE(a->logLines().contains("relay-result 8"));
  EXPECT_TRUE(b->logLines().contains("relay-result 8"));
}

TEST_P(X11MessagesTest, AWaitingProgramAnswersTheMessageItsPeerSendsBack) {
  // test -> A (0x403); A -> B (0x404); B -> A (0x402) while A waits.
  auto a = start("A", {"--relay", "0x403:B:0x404", "--answer", "0x402=7"});
  auto b = start("B", {"--relay", "0x404:A:0x402"});
  EXPECT_EQ(desktop_->send(a->window(), 0x403, 0, 0), 9);
  EXPECT_FALSE(desktop_->lastSendTimedOut());
}

TEST_P(X11MessagesTest, ASenderGivesUpOnAHungReceiver) {
  auto hung = start("Hung", {"--hang", "0x405"});
  auto fine = start("Fine");
  desktop_->setSendTimeout(300);
  QElapsedTimer timer;
  timer.start();
  EXPECT_EQ(desktop_->send(hung->window(), 0x405, 0, 0), 0);
  EXPECT_TRUE(desktop_->lastSendTimedOut());
  EXPECT_LT(timer.elapsed(), 5000);
  EXPECT_EQ(desktop_->send(fine->window(), suite::WM_SUITE_PING, 0, 0), 1);
  EXPECT_FALSE(desktop_->lastSendTimedOut());
}

// Runs `body` in a child process as the user "nobody"; its exit code.
template <typename F>
int asAnotherUser(F body) {
  const pid_t pid = fork();
  if (pid == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(100);
    _exit(body());
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 101;
}

// What another user's process would write to ask for the identity query: the
// endpoint's request record (48-byte header, no data).
int pingAsRawRequest(const QByteArray& path, std::uint64_t window) {
  const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.constData(), sizeof address.sun_path - 1);
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return 10;  // refused at the door
  unsigned char request[48] = {'L', 'M', 'S', 'G', 1, 1};
  const std::uint32_t message = suite::WM_SUITE_PING;
  std::memcpy(request + 8, &message, 4);
  std::memcpy(request + 16, &window, 8);
  if (send(fd, request, sizeof request, MSG_NOSIGNAL) != sizeof request) return 12;  // closed on us
  char answer[16];
  return read(fd, answer, sizeof answer) == sizeof answer ? 13 : 12;  // 12: closed without an answer
}

TEST_P(X11MessagesTest, ProcessesOfAnotherUserCannotDeliverMessages) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to start a process of another user";
  auto peer = start("LUMICASTER");
  const QByteArray path = QFile::encodeName(desktop_->endpointOf(peer->window()));
  ASSERT_FALSE(path.isEmpty());

  // The runtime folder is private: another user cannot even connect.
  EXPECT_EQ(asAnotherUser([&] { return pingAsRawRequest(path, peer->window()); }), 10);

  // Even with the folder opened up, the receiver checks who is calling.
  const QByteArray folder = QFile::encodeName(QFileInfo(QString::fromUtf8(path)).absolutePath());
  for (QByteArray dir = folder; dir.size() > 1; dir = QFile::encodeName(QFileInfo(QString::fromUtf8(dir)).absolutePath()))
    chmod(dir.constData(), 0755);
  chmod(path.constData(), 0777);
  EXPECT_EQ(asAnotherUser([&] { return pingAsRawRequest(path, peer->window()); }), 12);
  EXPECT_EQ(peer->logLines(), QStringList());
  // The same request from this user is answered.
  EXPECT_EQ(pingAsRawRequest(path, peer->window()), 13);
}

INSTANTIATE_TEST_SUITE_P(BareX, X11MessagesTest, ::testing::Values(XServer::WindowManager::None));

// The command-line tool drives the same windows from a shell.
class LumictlTest : public X11DesktopTest {
 protected:
  QString run(const QStringList& args, int* exitCode = nullptr) {
    QProcess p;
    p.start(test::binary("lumictl"), args);
    p.waitForFinished(20000);
    if (exitCode) *exitCode = p.exitCode();
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
  }
};

TEST_P(LumictlTest, PingsListsAndSendsKeysAndCopyData) {
  auto shell = start("LUMICASTER");
  createForeignWindow(desktop_->connection(), "Lumicaster Manager");
  int code = -1;
  EXPECT_EQ(run({"ping", "LUMICASTER"}, &code), "1");
  EXPECT_EQ(code, 0);
  EXPECT_EQ(run({"ping", "Lumicaster Manager"}, &code), "0");
  EXPECT_EQ(code, 1);
  EXPECT_TRUE(run({"list"}).contains("\tLUMICASTER"));
  EXPECT_FALSE(run({"list"}).contains("Lumicaster Manager"));
  EXPECT_TRUE(run({"list", "--all"}).contains("Lumicaster Manager"));

  run({"key", "LUMICASTER", "16"});
  run({"key", "LUMICASTER", "OK"});
  EXPECT_EQ(run({"copydata", "LUMICASTER", "12"}), "0");
  ASSERT_TRUE(shell->waitForLog("send 0x4a"));
  EXPECT_EQ(shell->logLines(), QStringList({"post 0x465 16 0 0 ", "post 0x465 13 0 0 ", "send 0x4a 0 0 12 "}));

  EXPECT_EQ(run({"key", "LUMICASTER", "NoSuchKey"}, &code), "");
  EXPECT_EQ(code, 2);
  run({"close", "LUMICASTER"}, &code);
  EXPECT_EQ(code, 0);
  EXPECT_TRUE(shell->process().waitForFinished(5000));
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, LumictlTest,
                         ::testing::Values(XServer::WindowManager::None, XServer::WindowManager::Openbox),
                         [](const auto& info) {
                           return info.param == XServer::WindowManager::None ? "BareX" : "Openbox";
                         });

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
