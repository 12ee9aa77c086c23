// The manager program as a user meets it: started for real on a private X
// server next to the real shell, with a virtual remote on a pseudo terminal
// standing in for the receiver on COM1.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSerialPort>
#include <QThread>
#include <csignal>
#include <memory>
#include <set>
#include <xcb/xcb.h>

#include "common/suite/PeerWindows.h"
#include "common/suite/SuiteMessages.h"
#include "manager/core/RemoteSettings.h"
#include "platform/desktop/X11Desktop.h"
#include "platform/registry/Registry.h"
#include "tests/support/Eventually.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/ShellProbe.h"
#include "tests/support/TestPaths.h"
#include "tests/support/XServer.h"

using namespace lumi;
using desktop::WindowId;

namespace {

const QString kManager = QStringLiteral("Lumicaster Manager");

bool viewable(xcb_connection_t* c, WindowId window) {
  xcb_get_window_attributes_reply_t* a =
      xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, xcb_window_t(window)), nullptr);
  const bool shown = a && a->map_state == XCB_MAP_STATE_VIEWABLE;
  std::free(a);
  return shown;
}

// How many different colours the window's pixels hold: a painted manager
// shows its buttons, tabs and texts; a window nobody paints stays one colour.
int colours(xcb_connection_t* c, WindowId window) {
  xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(c, xcb_get_geometry(c, xcb_drawable_t(window)), nullptr);
  if (!g) return 0;
  xcb_get_image_reply_t* image = xcb_get_image_reply(
      c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, xcb_drawable_t(window), 0, 0, g->width, g->height, ~0u), nullptr);
  std::free(g);
  if (!image) return 0;
  const auto* px = reinterpret_cast<const std::uint32_t*>(xcb_get_image_data(image));
  std::set<std::uint32_t> seen(px, px + xcb_get_image_data_length(image) / 4);
  std::free(image);
  return int(seen.size());
}

// The window manager's close (WM_DELETE_WINDOW), which hides the manager.
void closeFromWindowManager(xcb_connection_t* c, WindowId window) {
  auto atom = [c](const char* name) {
    xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, qstrlen(name), name), nullptr);
    const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(r);
    return a;
  };
  xcb_client_message_event_t event{};
  event.response_type = XCB_CLIENT_MESSAGE;
  event.format = 32;
  event.window = xcb_window_t(window);
  event.type = atom("WM_PROTOCOLS");
  event.data.data32[0] = atom("WM_DELETE_WINDOW");
  event.data.data32[1] = XCB_CURRENT_TIME;
  xcb_send_event(c, 0, xcb_window_t(window), XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
  xcb_flush(c);
}

// The files a process holds open, as the paths their descriptors point at.
QStringList openFiles(qint64 pid) {
  QStringList files;
  const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
  for (const QString& fd : fds.entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System))
    files << QFileInfo(fds.filePath(fd)).symLinkTarget();
  return files;
}

using lumi::test::eventually;

class ManagerProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    server_ = makeServer();
    ASSERT_TRUE(server_->ok()) << server_->error().toStdString();
    desktop_ = desktop::X11Desktop::create();
    ASSERT_TRUE(desktop_);
    QDir(env_.path()).mkpath("config");
    oldConfig_ = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(env_.file("config")));
    // The machine's own serial ports are never opened: every COM name points
    // at a device that does not exist until a virtual remote takes one.
    for (int n = 1; n <= manager::kPortCount; ++n)
      manager::mapPort(n, env_.file(QStringLiteral("no-receiver-COM%1").arg(n)));
  }
  void TearDown() override {
    qputenv("XDG_CONFIG_HOME", oldConfig_);
    for (auto& p : processes_) {
      if (p->state() == QProcess::NotRunning) continue;
      p->terminate();
      if (!p->waitForFinished(3000)) {
        p->kill();
        p->waitForFinished(5000);
      }
    }
  }
  QProcess* start(const QString& program, const QStringList& args = {}) {
    auto p = std::make_unique<QProcess>();
    p->setProcessEnvironment(test::suiteProgramEnvironment());
    p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p->start(program, args);
    processes_.push_back(std::move(p));
    return processes_.back().get();
  }
  QProcess* startManager() { return start(test::binary("Lumicaster Manager.exe")); }
  WindowId waitFor(const QString& title, int timeoutMs = 15000) {
    WindowId w = 0;
    eventually([&] { return (w = suite::FindPeerWindow(title, *desktop_)) != 0; }, timeoutMs);
    return w;
  }
  // A virtual remote on a pseudo terminal mapped as COM1, reading button
  // names from its standard input.
  QProcess* startRemote() {
    QProcess* remote = start(test::binary("virtual-remote"), {"--model", "A", "--map", "COM1"});
    if (!eventually([&] { return remote->waitForReadyRead(100) || remote->canReadLine(); })) return nullptr;
    const QString device = QString::fromLocal8Bit(remote->readLine()).trimmed();
    if (!eventually([&] { return manager::portDevice(1) == device; })) return nullptr;
    return remote;
  }
  // Once it has connected the receiver the manager starts the updater
  // silently, and the updater's window may take the front from the window
  // a test drives. Waits until the manager holds the receiver's device open
  // and no updater of the build runs any more.
  bool receiverOpenAndUpdaterDone(QProcess* manager) {
    const QString device = manager::portDevice(1);
    if (!eventually([&] { return openFiles(manager->processId()).contains(device); })) return false;
    const QString updater = QFileInfo(test::binary("Freshwell.exe")).canonicalFilePath();
    return eventually([&] {
      for (const QString& pid : QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        if (pid.toLongLong() > 0 && !updater.isEmpty() &&
            QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).canonicalFilePath() == updater)
          return false;
      return true;
    }, 30000);
  }
  void press(QProcess* remote, const char* button) {
    remote->write(QByteArray(button) + '\n');
    remote->waitForBytesWritten(1000);
  }
  void secondStartShowsTheHiddenManager();
  int highlighted(WindowId shell) { return test::HighlightedTopMenuButton(desktop_->connection(), shell); }

  test::PrivateEnvironment env_;
  QByteArray oldConfig_;
  virtual std::unique_ptr<test::XServer> makeServer() { return std::make_unique<test::XServer>(); }

  std::unique_ptr<test::XServer> server_;
  std::unique_ptr<desktop::X11Desktop> desktop_;
  std::vector<std::unique_ptr<QProcess>> processes_;
};

TEST_F(ManagerProgram, AFirstStartWritesTheDefaults) {
  startManager();
  ASSERT_NE(waitFor(kManager), 0u) << "the manager did not come up";
  const registry::Key keywarden =
      registry::Key::open(registry::Root::CurrentUser, "Software\\Quelmar\\Lumicaster\\Keywarden");
  ASSERT_TRUE(keywarden.isOpen());
  for (const char* name : {"ComPort", "Remote", "LaunchAfterConnect", "Startup", "ToTrayOnLaunch", "ToTrayOnPower",
                           "KeyboardMessage"}) {
    quint32 value = 99;
    EXPECT_TRUE(keywarden.readDWord(name, value)) << name;
    EXPECT_EQ(value, 0u) << name;
  }
  quint32 selUser = 0;
  EXPECT_TRUE(keywarden.readDWord("SelUser", selUser));
  EXPECT_EQ(static_cast<qint32>(selUser), -1) << "nobody is selected before there is a list";
  QString name;
  EXPECT_TRUE(keywarden.readString("Name", name));
  EXPECT_EQ(name, kManager);
  QString path;
  EXPECT_TRUE(registry::Key::open(registry::Root::CurrentUser, "Software\\Quelmar\\Lumicaster\\Client")
                  .readString("Path", path));
  EXPECT_EQ(path, QFileInfo(test::binary("Lumicaster Manager.exe")).absolutePath() + "/");

  // The automation class "Keywarden.Application", served by the manager itself.
  const QString classId = "{51EB4732-E3FE-42A4-8707-F0D58762C45A}";
  QString value;
  EXPECT_TRUE(registry::Key::open(registry::Root::LocalMachine, "Software\\Classes\\Keywarden.Application\\CLSID")
                  .readString(QString(), value));
  EXPECT_EQ(value, classId);
  EXPECT_TRUE(registry::Key::open(registry::Root::LocalMachine,
                                  "Software\\Classes\\CLSID\\" + classId + "\\LocalServer32")
                  .readString(QString(), value));
  EXPECT_EQ(QFileInfo(value), QFileInfo(test::binary("Lumicaster Manager.exe")));
}

TEST_F(ManagerProgram, StartedForAutomationItStartsAsUsual) {
  start(test::binary("Lumicaster Manager.exe"), {"-Embedding"});
  EXPECT_NE(waitFor(kManager), 0u);
}

TEST_F(ManagerProgram, NoTestReachesTheMachinesOwnSerialPorts) {
  QProcess* manager = startManager();
  ASSERT_NE(waitFor(kManager), 0u);
  for (const QString& file : openFiles(manager->processId()))
    EXPECT_FALSE(file.startsWith("/dev/tty")) << file.toStdString();
}

TEST_F(ManagerProgram, ASecondStartEndsAtOnce) {
  startManager();
  ASSERT_NE(waitFor(kManager), 0u);
  QProcess* second = startManager();
  ASSERT_TRUE(second->waitForFinished(15000));
  EXPECT_EQ(second->exitCode(), 0);
  int managers = 0;
  for (WindowId w : desktop_->windowsTitled(kManager)) managers += suite::AnswersPing(w, *desktop_);
  EXPECT_EQ(managers, 1);
}

void ManagerProgram::secondStartShowsTheHiddenManager() {
  // A panel with a notification area, for the manager to hide into.
  QProcess* panel = start(test::binary("tray-host"));
  ASSERT_TRUE(eventually([&] { return panel->waitForReadyRead(20) || panel->canReadLine(); }));
  startManager();
  const WindowId manager = waitFor(kManager);
  ASSERT_NE(manager, 0u);
  xcb_connection_t* c = desktop_->connection();
  ASSERT_TRUE(eventually([&] { return viewable(c, manager) && colours(c, manager) > 3; }));
  closeFromWindowManager(c, manager);
  ASSERT_TRUE(eventually([&] { return !viewable(c, manager); })) << "the close command hides the manager";
  ASSERT_TRUE(suite::AnswersPing(manager, *desktop_)) << "hidden, not ended";

  QProcess* second = startManager();
  ASSERT_TRUE(second->waitForFinished(15000));
  EXPECT_EQ(second->exitCode(), 0);
  EXPECT_TRUE(eventually([&] { return viewable(c, manager) && colours(c, manager) > 3; }))
      << "shown and painted by its own program, not a dead rectangle";
  EXPECT_TRUE(eventually([&] { return desktop_->foregroundWindow() == manager; }));
}

TEST_F(ManagerProgram, ASecondStartBringsAHiddenManagerBackAsAWorkingWindow) { secondStartShowsTheHiddenManager(); }

// The same on a television desktop: a window manager and a 1920 x 1080 screen.
class ManagerProgramOnOpenbox : public ManagerProgram {
 protected:
  std::unique_ptr<test::XServer> makeServer() override {
    return std::make_unique<test::XServer>(test::XServer::WindowManager::Openbox, 1920, 1080);
  }
};

TEST_F(ManagerProgramOnOpenbox, ASecondStartBringsAHiddenManagerBackAsAWorkingWindow) {
  ASSERT_TRUE(server_->hasWindowManager());
  secondStartShowsTheHiddenManager();
}

TEST_F(ManagerProgram, AnEndSignalGoesThroughTheExitSteps) {
  registry::Key keywarden =
      registry::Key::create(registry::Root::CurrentUser, "Software\\Quelmar\\Lumicaster\\Keywarden");
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(signal);
    QProcess* remote = startRemote();
    ASSERT_TRUE(remote);
    QProcess* managerProcess = startManager();
    ASSERT_NE(waitFor(kManager), 0u);
    QProcess* shellProcess = start(test::binary("Lumicaster.exe"));
    ASSERT_NE(waitFor("LUMICASTER"), 0u);
    // The exit writes its settings again: one that went missing comes back.
    ASSERT_TRUE(keywarden.removeValue("ToTrayOnLaunch"));
    const QString device = manager::portDevice(1);

    ::kill(pid_t(managerProcess->processId()), signal);
    ASSERT_TRUE(managerProcess->waitForFinished(15000));
    EXPECT_EQ(managerProcess->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(managerProcess->exitCode(), 0);
    EXPECT_TRUE(shellProcess->waitForFinished(15000)) << "the shell ends with the manager";
    quint32 value = 99;
    EXPECT_TRUE(keywarden.readDWord("ToTrayOnLaunch", value));
    EXPECT_EQ(value, 0u);
    QSerialPort port(device);
    EXPECT_TRUE(port.open(QIODevice::ReadWrite)) << "the port is free again: " << port.errorString().toStdString();
    port.close();
    remote->closeWriteChannel();
    remote->waitForFinished(5000);
  }
}

TEST_F(ManagerProgram, TheRemoteDrivesTheShellAndExitEndsIt) {
  QProcess* remote = startRemote();
  ASSERT_TRUE(remote) << "the virtual remote did not map COM1";
  QProcess* managerProcess = startManager();
  const WindowId manager = waitFor(kManager);
  ASSERT_NE(manager, 0u);
  ASSERT_TRUE(receiverOpenAndUpdaterDone(managerProcess));
  QProcess* shellProcess = start(test::binary("Lumicaster.exe"));
  const WindowId shell = waitFor("LUMICASTER");
  ASSERT_NE(shell, 0u);
  ASSERT_TRUE(eventually([&] { return highlighted(shell) == 0; }));
  suite::BringToForeground(shell, *desktop_);
  ASSERT_TRUE(eventually([&] { return desktop_->foregroundWindow() == shell; }));

  press(remote, "Down");
  EXPECT_TRUE(eventually([&] { return highlighted(shell) == 1; })) << highlighted(shell);
  press(remote, "Up");
  EXPECT_TRUE(eventually([&] { return highlighted(shell) == 0; })) << highlighted(shell);
  press(remote, "OK");
  EXPECT_NE(waitFor("My computer"), 0u) << "OK on the first button opens the menu";

  desktop_->post(manager, desktop::WM_CLOSE, 0, 0);
  EXPECT_TRUE(shellProcess->waitForFinished(15000)) << "the manager's exit ends the shell";
  EXPECT_TRUE(eventually([&] { return suite::FindPeerWindow(kManager, *desktop_) == 0; }));
}

TEST_F(ManagerProgram, TwoStartsAtOnceLeaveOneManager) {
  QProcess* first = startManager();
  QProcess* second = startManager();
  ASSERT_NE(waitFor(kManager), 0u);
  // One of them ends by itself, the other keeps running.
  first->waitForStarted(5000);
  second->waitForStarted(5000);
  EXPECT_TRUE(eventually([&] { return first->waitForFinished(20) || second->waitForFinished(20); }, 15000));
  QThread::msleep(500);
  QThread::msleep(300);
  int managers = 0;
  for (WindowId w : desktop_->windowsTitled(kManager)) managers += suite::AnswersPing(w, *desktop_);
  EXPECT_EQ(managers, 1);
}

TEST_F(ManagerProgram, PowerWithoutAShellStartsItFromTheManagersFolder) {
  QProcess* remote = startRemote();
  ASSERT_TRUE(remote);
  QProcess* managerProcess = startManager();
  const WindowId manager = waitFor(kManager);
  ASSERT_NE(manager, 0u);
  ASSERT_TRUE(receiverOpenAndUpdaterDone(managerProcess));
  suite::BringToForeground(manager, *desktop_);
  ASSERT_TRUE(eventually([&] { return desktop_->foregroundWindow() == manager; }));
  press(remote, "Power");
  EXPECT_NE(waitFor("LUMICASTER", 20000), 0u) << "the shell was not started";
  desktop_->post(manager, desktop::WM_CLOSE, 0, 0);
  EXPECT_TRUE(eventually([&] { return suite::FindPeerWindow("LUMICASTER", *desktop_) == 0; }, 15000));
}

TEST_F(ManagerProgram, TheUpdaterClosingAfterConnectStartsTheShellWhenAsked) {
  registry::Key::create(registry::Root::CurrentUser, "Software\\Quelmar\\Lumicaster\\Keywarden")
      .writeDWord("LaunchAfterConnect", 1);
  QProcess* remote = startRemote();
  ASSERT_TRUE(remote);
  startManager();
  const WindowId manager = waitFor(kManager);
  ASSERT_NE(manager, 0u);
  desktop_->post(manager, suite::WM_UPDATER_CLOSED, 0, 0);
  EXPECT_NE(waitFor("LUMICASTER", 20000), 0u);
  desktop_->post(manager, desktop::WM_CLOSE, 0, 0);
  EXPECT_TRUE(eventually([&] { return suite::FindPeerWindow("LUMICASTER", *desktop_) == 0; }, 15000));
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
