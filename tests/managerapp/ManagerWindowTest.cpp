// The manager's main window in this process on a private X server: the
// settings it writes, the start-up entry of check box 1033, the tray menu
// and Connect without a tray.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QProcess>
#include <QScreen>
#include <QThread>
#include <functional>

#include "common/skin/SkinSettings.h"
#include "common/suite/PeerWindows.h"
#include "common/suite/SuiteMessages.h"
#include "manager/core/ManagerStrings.h"
#include "manager/core/RemoteSettings.h"
#include "manager/window/CKeywardenDlg.h"
#include "manager/window/KeywardenSettings.h"
#include "manager/window/ManagerWindowStrings.h"
#include "manager/window/ManagerTray.h"
#include "common/suite/AutomationClass.h"
#include "manager/window/AboutDialog.h"
#include "manager/window/PortDialog.h"
#include "manager/window/StartupEntry.h"
#include "manager/window/StatusPopup.h"
#include "tests/manager/ManagerTestSupport.h"
#include "platform/registry/Registry.h"
#include "tests/support/TestPaths.h"
#include "tests/support/XServer.h"

using namespace lumi;
using namespace lumi::manager;

namespace {

template <typename F>
bool eventually(F condition, int timeoutMs = 5000) {
  QElapsedTimer timer;
  timer.start();
  while (!condition()) {
    if (timer.elapsed() > timeoutMs) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(5);
  }
  return true;
}

quint32 keywardenValue(const char* name) {
  quint32 value = 99;
  registry::Key::open(registry::Root::CurrentUser, kKeywardenKey).readDWord(name, value);
  return value;
}

class ManagerWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    QDir(env_.path()).mkpath("config");
    oldConfig_ = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(env_.file("config")));
    // No receiver anywhere, and never the machine's own ports: every COM name
    // points at a device that is not there.
    for (int n = 1; n <= kPortCount; ++n) mapPort(n, env_.file(QStringLiteral("no-such-device-%1").arg(n)));
  }
  void TearDown() override { qputenv("XDG_CONFIG_HOME", oldConfig_); }

  std::unique_ptr<CKeywardenDlg> window(bool tray = false) {
    KeywardenSettings::LoadOrCreate(strings_.text(230), settings_);
    CKeywardenDlg::Options options;
    options.programFolder = env_.path() + "/";
    options.trayAvailable = [tray] { return tray; };
    return std::make_unique<CKeywardenDlg>(strings_, settings_, options);
  }

  test::PrivateEnvironment env_;
  QByteArray oldConfig_;
  text::StringTable strings_ = loadWindowStrings(text::Language::English);
  KeywardenSettings settings_;
};

TEST(WindowStrings, HoldTheManagersTextsAndTheWindowsInBothLanguages) {
  const auto ko = loadWindowStrings(text::Language::Korean);
  const auto en = loadWindowStrings(text::Language::English);
  EXPECT_EQ(ko.text(230), "Lumicaster 관리자");
  EXPECT_EQ(en.text(230), "Lumicaster Manager");
  EXPECT_EQ(ko.text(32772), "관리자 열기(&O)");
  EXPECT_EQ(ko.text(32771), "종료(&X)");
  EXPECT_EQ(ko.text(textid::kPortInUse), "시리얼 포트가 사용 중입니다.");
  EXPECT_EQ(en.text(textid::kSuiteKey), kSuiteKey);
}

TEST(StartupEntry, FollowsXdgConfigHome) {
  test::PrivateEnvironment env;
  const QByteArray old = qgetenv("XDG_CONFIG_HOME");
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(env.file("cfg")));
  EXPECT_EQ(AutostartFolder(), env.file("cfg") + "/autostart");
  qputenv("XDG_CONFIG_HOME", "relative/ignored");
  EXPECT_EQ(AutostartFolder(), QDir::homePath() + "/.config/autostart");
  qputenv("XDG_CONFIG_HOME", old);
}

TEST(StartupEntry, QuotesTheProgramPath) {
  test::PrivateEnvironment env;
  const QByteArray old = qgetenv("XDG_CONFIG_HOME");
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(env.file("cfg")));
  ASSERT_TRUE(CreateStartupEntry("Lumicaster Manager", "/opt/a \"b\"/100%/Lumicaster Manager.exe"));
  QFile file(env.file("cfg/autostart/Lumicaster Manager.desktop"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QString text = QString::fromUtf8(file.readAll());
  EXPECT_TRUE(text.startsWith("[Desktop Entry]\n"));
  EXPECT_TRUE(text.contains("\nName=Lumicaster Manager\n"));
  EXPECT_TRUE(text.contains("\nExec=\"/opt/a \\\\\"b\\\\\"/100%%/Lumicaster Manager.exe\"\n")) << text.toStdString();
  EXPECT_TRUE(RemoveStartupEntry("Lumicaster Manager"));
  EXPECT_FALSE(file.exists());
  EXPECT_TRUE(RemoveStartupEntry("Lumicaster Manager")) << "nothing left to remove is no failure";
  qputenv("XDG_CONFIG_HOME", old);
}

TEST_F(ManagerWindow, AKeyThatHoldsOnlyThePortMappingGetsTheDefaults) {
  bool created = true;
  ASSERT_TRUE(KeywardenSettings::LoadOrCreate("Lumicaster Manager", settings_, &created));
  EXPECT_FALSE(created) << "the port mapping made the key";
  for (const char* name : {"ComPort", "Remote", "LaunchAfterConnect", "Startup", "ToTrayOnLaunch", "ToTrayOnPower",
                           "KeyboardMessage"})
    EXPECT_EQ(keywardenValue(name), 0u) << name;
  EXPECT_EQ(keywardenValue("LaunchAfterConnect"), 0u);
  EXPECT_EQ(static_cast<qint32>(keywardenValue("SelUser")), -1);
  KeywardenSettings::WriteValue("ToTrayOnLaunch", 1);
  ASSERT_TRUE(KeywardenSettings::LoadOrCreate("Lumicaster 관리자", settings_, &created));
  EXPECT_EQ(settings_.toTrayOnLaunch, 1u);
  QString name;
  registry::Key::open(registry::Root::CurrentUser, kKeywardenKey).readString("Name", name);
  EXPECT_EQ(name, "Lumicaster 관리자") << "the title is written at every start";
}

TEST_F(ManagerWindow, ANewKeyIsCreated) {
  registry::Key::remove(registry::Root::CurrentUser, kKeywardenKey);
  bool created = false;
  ASSERT_TRUE(KeywardenSettings::LoadOrCreate("Lumicaster Manager", settings_, &created));
  EXPECT_TRUE(created);
  EXPECT_EQ(keywardenValue("Remote"), 0u);
}

TEST_F(ManagerWindow, ClientPathIsWrittenOnlyWhenMissing) {
  EXPECT_EQ(EnsureClientPath("/opt/suite"), ClientPathResult::Ok);
  QString path;
  registry::Key::open(registry::Root::CurrentUser, kClientKey).readString("Path", path);
  EXPECT_EQ(path, "/opt/suite/");
  EXPECT_EQ(EnsureClientPath("/elsewhere/"), ClientPathResult::Ok);
  registry::Key::open(registry::Root::CurrentUser, kClientKey).readString("Path", path);
  EXPECT_EQ(path, "/opt/suite/");
}

TEST_F(ManagerWindow, StartupCheckBoxTwiceCreatesThenDeletesTheEntry) {
  auto w = window();
  const QString entry = env_.file("config/autostart/Lumicaster Manager.desktop");
  w->page()->startup->click();
  EXPECT_EQ(keywardenValue("Startup"), 1u);
  ASSERT_TRUE(QFile::exists(entry));
  QFile file(entry);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_TRUE(file.readAll().contains(QFile::encodeName(env_.path() + "/Lumicaster Manager.exe")));
  w->page()->startup->click();
  EXPECT_EQ(keywardenValue("Startup"), 0u);
  EXPECT_FALSE(QFile::exists(entry));
}

TEST_F(ManagerWindow, ConnectRunsWithoutATray) {
  auto w = window(false);
  w->show();
  w->start();
  // The reader tried the port: the missing device is reported in the status line.
  EXPECT_TRUE(eventually([&] { return !w->page()->statusLine->text().isEmpty(); }))
      << w->page()->statusLine->text().toStdString();
  EXPECT_TRUE(w->page()->statusLine->text().contains(strings_.text(textid::kPortMissing)));
}

TEST_F(ManagerWindow, AnUnpluggedReceiverConnectsAgainWhenItIsBack) {
  const QString link = env_.file("usb-receiver");
  auto first = std::make_unique<test::PtyLine>();
  ASSERT_TRUE(QFile::link(first->path(), link));
  ASSERT_TRUE(mapPort(1, link));
  auto w = window();
  w->show();
  w->start();
  ASSERT_TRUE(eventually([&] { return first->readerPresent(); }));

  first->closeMaster();
  ASSERT_TRUE(QFile::remove(link));
  EXPECT_TRUE(eventually([&] { return w->page()->statusLine->text() == strings_.text(textid::kReceiverUnplugged); }))
      << w->page()->statusLine->text().toStdString();

  test::PtyLine second;
  ASSERT_TRUE(QFile::link(second.path(), link));
  EXPECT_TRUE(eventually([&] { return second.readerPresent(); }, 10000)) << "the manager opened the receiver again";
  EXPECT_TRUE(eventually([&] { return w->page()->statusLine->text().isEmpty(); }))
      << "Connect ran: " << w->page()->statusLine->text().toStdString();
}

TEST_F(ManagerWindow, ThePortDialogMapsAnyDeviceToTheChosenComName) {
  // The dialog only lists names: the adapters stand in a folder that does not
  // exist; COM1's own device is listed once, as the port's own.
  const QString byId = env_.file("gone/by-id/usb-FTDI_A5-if00-port0");
  const QString usb = env_.file("gone/ttyUSB0");
  const std::vector<SerialDevice> devices = {
      {byId, "FT232R USB UART (FTDI), " + usb},
      {"/dev/ttyS0", "built-in serial port"},
      {usb, "FT232R USB UART (FTDI)"},
  };
  const PortChoice stored = storedPortChoice(0);
  EXPECT_EQ(stored, (PortChoice{0, env_.file("no-such-device-1")}));
  PortDialog dialog(strings_, stored, devices);
  EXPECT_EQ(dialog.deviceTexts(),
            QStringList({"The port's own device /dev/ttyS0",
                         byId + " (FT232R USB UART (FTDI), " + usb + ")",
                         usb + " (FT232R USB UART (FTDI))", env_.file("no-such-device-1")}))
      << "a mapped device that is not plugged in stays choosable";
  EXPECT_EQ(dialog.choice(), stored);

  dialog.choose({1, byId});
  ASSERT_TRUE(storePortChoice(dialog.choice()));
  EXPECT_EQ(keywardenValue("ComPort"), 1u);
  EXPECT_EQ(portDevice(2), byId);

  dialog.choose({1, {}});
  ASSERT_TRUE(storePortChoice(dialog.choice()));
  EXPECT_EQ(portMapping(2), "") << "the port's own device needs no mapping";
  EXPECT_EQ(portDevice(2), "/dev/ttyS1");
}

// A program file of the suite played by a shell script.
void script(const QString& path, const QByteArray& body) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("#!/bin/sh\n" + body);
  f.close();
  f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
}

TEST_F(ManagerWindow, AfterConnectTheShellStartsWhenTheUpdaterIsMissingOrEndsWithoutSayingSo) {
  test::PtyLine receiver;
  ASSERT_TRUE(mapPort(1, receiver.path()));
  struct Case {
    const char* what;
    const char* updater;  // the script's body; none: no updater installed
    quint32 launchAfterConnect;
    bool shellStarts;
  };
  for (const Case& c : {Case{"no updater", nullptr, 1, true},
                        Case{"an updater that ends without a word", "touch updater-ran\n", 1, true},
                        Case{"an updater that is killed", "touch updater-ran\nkill -9 $$\n", 1, true},
                        Case{"the setting off", "touch updater-ran\n", 0, false}}) {
    SCOPED_TRACE(c.what);
    KeywardenSettings::WriteValue("LaunchAfterConnect", c.launchAfterConnect);
    const QString folder = env_.file(QString::fromLatin1(c.what).replace(' ', '-'));
    QDir().mkpath(folder);
    script(folder + "/Lumicaster.exe", "touch shell-started\n");
    if (c.updater) script(folder + "/Freshwell.exe", c.updater);
    KeywardenSettings::LoadOrCreate(strings_.text(230), settings_);
    CKeywardenDlg::Options options;
    options.programFolder = folder + "/";
    options.trayAvailable = [] { return false; };
    CKeywardenDlg w(strings_, settings_, options);
    w.start();
    if (c.updater) {
      ASSERT_TRUE(eventually([&] { return QFile::exists(folder + "/updater-ran"); }));
      // Its end is noticed and decided on in one step.
      ASSERT_TRUE(eventually([&] { return !w.launcher().updaterWatched(); }));
    }
    if (c.shellStarts) EXPECT_TRUE(eventually([&] { return QFile::exists(folder + "/shell-started"); }));
    else EXPECT_FALSE(QFile::exists(folder + "/shell-started"));
  }
}

TEST_F(ManagerWindow, AnUpdaterThatSaysItClosedIsNotCountedTwice) {
  test::PtyLine receiver;
  ASSERT_TRUE(mapPort(1, receiver.path()));
  KeywardenSettings::WriteValue("LaunchAfterConnect", 1);
  const QString folder = env_.path();
  script(folder + "/Lumicaster.exe", "echo x >> shell-starts\n");
  // Waits until the test lets it go, as an updater that is checking would.
  script(folder + "/Freshwell.exe", "touch updater-ran\nwhile [ ! -e updater-go ]; do sleep 0.05; done\n");
  auto w = window();
  w->start();
  ASSERT_TRUE(eventually([&] { return QFile::exists(folder + "/updater-ran"); }));
  desktop::Desktop::instance().send(w->windowId(), suite::WM_UPDATER_CLOSED, 0, 0);
  EXPECT_TRUE(eventually([&] { return QFile::exists(folder + "/shell-starts"); }));
  QFile(folder + "/updater-go").open(QIODevice::WriteOnly);
  ASSERT_TRUE(eventually([&] { return !w->launcher().updaterWatched(); }));
  QFile starts(folder + "/shell-starts");
  ASSERT_TRUE(eventually([&] { return QFileInfo(starts).size() > 0; }));
  ASSERT_TRUE(starts.open(QIODevice::ReadOnly));
  EXPECT_EQ(starts.readAll(), "x\n") << "the updater's end after its word starts nothing more";
}

TEST_F(ManagerWindow, TheShellIsClosedWhileRemoteKeysKeepFlowing) {
  // A shell that ignores WM_CLOSE: only the signal ends it.
  QProcess shell;
  shell.start(test::binary("suite-test-window"), {"--window-title", "LUMICASTER", "--ignore-close"});
  ASSERT_TRUE(eventually([&] { return suite::FindPeerWindow("LUMICASTER") != 0; }, 10000));
  auto w = window();
  bool closed = false;
  w->launcher().closeShell([&] { closed = true; });
  EXPECT_TRUE(w->launcher().closingShell());
  // The call came back before the shell was gone; the window goes on
  // answering meanwhile.
  EXPECT_FALSE(closed);
  EXPECT_EQ(desktop::Desktop::instance().send(w->windowId(), suite::WM_SUITE_PING, 0, 0), 1);
  EXPECT_TRUE(eventually([&] { return closed; }, 15000));
  EXPECT_TRUE(eventually([&] { return shell.state() == QProcess::NotRunning || shell.waitForFinished(20); }))
      << "ended all the same";
}

TEST(StatusPopupLayout, GrowsLeftwardsAndUpwardsFromItsCorner) {
  const QRect area(0, 0, 1024, 768);
  struct Case {
    const char* what;
    QSize text;
    QPoint corner;
    StatusPopupLayout expected;
  };
  for (const Case& c : {
           Case{"text width + 15 for the bar, + 55 for the button; text height + 10", {200, 30}, {1023, 767},
                {{754, 728, 270, 40}, {0, 0, 215, 40}, {215, 0, 55, 40}}},
           Case{"dragged elsewhere", {200, 30}, {600, 400}, {{331, 361, 270, 40}, {0, 0, 215, 40}, {215, 0, 55, 40}}},
           Case{"wider than the screen: its width, twice the height", {1000, 30}, {1023, 767},
                {{0, 688, 1024, 80}, {0, 0, 969, 80}, {969, 0, 55, 80}}},
       }) {
    const StatusPopupLayout got = StatusPopupLayout::place(c.text, area, c.corner);
    EXPECT_EQ(got.window, c.expected.window) << c.what;
    EXPECT_EQ(got.bar, c.expected.bar) << c.what;
    EXPECT_EQ(got.button, c.expected.button) << c.what;
  }
}

TEST_F(ManagerWindow, TheStatusPopupSitsInTheCornerInItsColoursAndCanBeDraggedAndSentBack) {
  StatusPopup popup(strings_);
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  popup.show({"Remote connecting...", true, ConnectionHost::PopupButton::Stop, 30, 15});
  ASSERT_TRUE(eventually([&] { return popup.isVisible(); }));
  EXPECT_EQ(popup.geometry().bottomRight(), area.bottomRight());
  EXPECT_EQ(popup.button()->text(), "Stop");
  EXPECT_EQ(popup.barText(), "Remote connecting... 50%");
  const QImage look = popup.grab().toImage();
  int blue = 0, white = 0;
  for (int y = 0; y < look.height(); ++y)
    for (int x = 0; x < look.width() - StatusPopupLayout::kButtonWidth; ++x) {
      const QRgb p = look.pixel(x, y) | 0xff000000;
      blue += p == StatusPopup::kBackground;
      white += p == 0xffffffff;
    }
  EXPECT_GT(blue, 100) << "the bar's blue";
  EXPECT_GT(white, 20) << "white text on it";

  auto mouse = [&](QEvent::Type type, QPoint global) {
    QMouseEvent event(type, popup.mapFromGlobal(global), global, Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&popup, &event);
  };
  const QPoint grab = popup.geometry().center();
  mouse(QEvent::MouseButtonPress, grab);
  mouse(QEvent::MouseMove, grab - QPoint(300, 200));
  mouse(QEvent::MouseButtonRelease, grab - QPoint(300, 200));
  EXPECT_EQ(popup.geometry().bottomRight(), area.bottomRight() - QPoint(300, 200));
  popup.show({"Remote initializing complete.", false, ConnectionHost::PopupButton::Confirm});
  EXPECT_EQ(popup.geometry().bottomRight(), area.bottomRight() - QPoint(300, 200)) << "a new text stays where it was put";
  EXPECT_EQ(popup.button()->text(), "OK");
  mouse(QEvent::MouseButtonDblClick, popup.geometry().center());
  EXPECT_EQ(popup.geometry().bottomRight(), area.bottomRight()) << "a double click sends it back to the corner";
}

TEST_F(ManagerWindow, TheSystemMenuOpensTheAboutDialogWithTheProgramsVersion) {
  auto w = window(true);
  QMenu* menu = w->systemMenu();
  ASSERT_EQ(menu->actions().size(), 3);
  EXPECT_EQ(menu->actions()[0]->text(), "Hide");
  EXPECT_TRUE(menu->actions()[1]->isSeparator());
  EXPECT_EQ(menu->actions()[2]->text(), "About Keywarden(&A)...");
  menu->actions()[2]->trigger();
  auto* about = w->findChild<AboutDialog*>("about");
  ASSERT_NE(about, nullptr);
  EXPECT_TRUE(about->isVisible());
  EXPECT_EQ(about->windowTitle(), "About Keywarden");
  // This test program carries no version note of its own.
  EXPECT_EQ(about->versionLine(), "Version 0,0,0,0");
  about->accept();
}

TEST(AutomationSwitches, EmbeddingOrAutomationInAnySpelling) {
  EXPECT_TRUE(suite::StartedForAutomation({"-Embedding"}));
  EXPECT_TRUE(suite::StartedForAutomation({"/Automation"}));
  EXPECT_TRUE(suite::StartedForAutomation({"embedding"}));
  EXPECT_FALSE(suite::StartedForAutomation({"show"}));
  EXPECT_FALSE(suite::StartedForAutomation({}));
}

TEST_F(ManagerWindow, TheTrayMenuOpensAndExits) {
  auto w = window(true);
  w->start();
  ASSERT_NE(w->trayIcon(), nullptr);
  EXPECT_EQ(w->trayIcon()->toolTip(), "Lumicaster Manager");
  QMenu* menu = w->trayIcon()->contextMenu();
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(menu->actions().size(), 2);
  EXPECT_EQ(menu->actions()[0]->text(), "Open Manager(&O)");
  EXPECT_EQ(menu->actions()[1]->text(), "Exit(&X)");
  EXPECT_EQ(menu->defaultAction(), menu->actions()[0]);
  w->hide();
  menu->actions()[0]->trigger();
  EXPECT_TRUE(w->isVisible());
}

TEST_F(ManagerWindow, TheTrayOnItsOwnOpensExitsAndHidesOnlyWhereThereIsATray) {
  for (bool available : {true, false}) {
    QWidget window;
    int opened = 0, exited = 0;
    ManagerTray tray(window, strings_, [available] { return available; },
                     {.open = [&] { ++opened; }, .exit = [&] { ++exited; }});
    EXPECT_EQ(tray.icon(), nullptr) << "nothing in the notification area before it is added";
    tray.add(window.style()->standardIcon(QStyle::SP_ComputerIcon));
    QSystemTrayIcon* icon = tray.icon();
    ASSERT_NE(icon, nullptr);
    tray.add(QIcon());
    EXPECT_EQ(tray.icon(), icon) << "one icon, however often it is added";
    EXPECT_EQ(window.findChildren<QSystemTrayIcon*>().size(), 1);

    QMenu* menu = icon->contextMenu();
    ASSERT_NE(menu, nullptr);
    menu->defaultAction()->trigger();
    emit icon->activated(QSystemTrayIcon::DoubleClick);
    emit icon->activated(QSystemTrayIcon::Trigger);  // a single click opens nothing
    EXPECT_EQ(opened, 2);
    menu->actions().back()->trigger();
    EXPECT_EQ(exited, 1);

    window.show();
    tray.hideWindow();
    EXPECT_EQ(window.isVisible(), !available) << (available ? "hidden into the tray" : "kept on the desktop");
    EXPECT_EQ(window.isMinimized(), !available) << "minimised where there is no tray";
    tray.remove();
    EXPECT_FALSE(icon->isVisible());
  }
}

TEST_F(ManagerWindow, TheSkinPageIsSecondAndFollowsTheShellsSkinNotice) {
  QDir(env_.path()).mkpath("data");
  registry::Key::create(registry::Root::CurrentUser, kClientKey).writeString("Path", env_.file("data") + "/");
  auto w = window();
  auto* sheet = w->findChild<QTabWidget*>();
  ASSERT_NE(sheet, nullptr);
  ASSERT_EQ(sheet->count(), 2);
  EXPECT_EQ(sheet->tabText(1), "Skin");
  EXPECT_EQ(sheet->widget(1), w->skinPage());
  EXPECT_FALSE(w->skinPage()->change->isChecked());
  skin::SkinSettings shell;
  shell.SetChange(1);
  emit w->skinChanged();
  EXPECT_TRUE(w->skinPage()->change->isChecked());
}

TEST_F(ManagerWindow, ApplyClosesTheRunningShellAndStartsItAgain) {
  QDir(env_.path()).mkpath("data");
  registry::Key::create(registry::Root::CurrentUser, kClientKey).writeString("Path", env_.file("data") + "/");
  // The program folder's "Lumicaster.exe" only leaves a mark: the real shell
  // below stands for the one already running.
  const QString marker = env_.file("started");
  {
    QFile script(env_.file("Lumicaster.exe"));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(QByteArray("#!/bin/sh\ntouch '") + QFile::encodeName(marker) + "'\n");
  }
  QFile::setPermissions(env_.file("Lumicaster.exe"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  QProcess shell;
  shell.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  shell.start(test::binary("Lumicaster.exe"));
  ASSERT_TRUE(eventually([] { return suite::FindPeerWindow(suite::kShellTitle) != 0; }, 15000));

  auto w = window();
  w->skinPage()->change->click();
  w->skinPage()->bold->setChecked(true);
  w->skinPage()->applyButton->click();
  // Closed on the event loop, which the test keeps running.
  EXPECT_TRUE(eventually([&] { return shell.state() == QProcess::NotRunning || shell.waitForFinished(20); }, 15000))
      << "the running shell is closed";
  EXPECT_TRUE(eventually([&] { return QFile::exists(marker); })) << "and started again without a receiver";
  skin::SkinSettings written;
  written.Load();
  EXPECT_EQ(written.Weight(), 700);
  if (shell.state() != QProcess::NotRunning) {
    shell.kill();
    shell.waitForFinished(5000);
  }
}

TEST_F(ManagerWindow, TheCloseCommandOnlyHides) {
  auto w = window(true);
  w->show();
  w->close();
  EXPECT_FALSE(w->isVisible());
}

TEST_F(ManagerWindow, WithoutATrayHidingMinimisesAndTheIconDocksWhenAPanelStartsLater) {
  KeywardenSettings::LoadOrCreate(strings_.text(230), settings_);
  CKeywardenDlg::Options options;
  options.programFolder = env_.path() + "/";
  CKeywardenDlg w(strings_, settings_, options);  // the desktop's own answer about the tray
  w.show();
  w.start();
  ASSERT_NE(w.trayIcon(), nullptr) << "the icon waits for a panel";
  ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable());
  for (auto hideWith : {std::function<void()>([&] { w.close(); }), std::function<void()>([&] { w.hideToTray(); })}) {
    hideWith();
    EXPECT_TRUE(w.isVisible()) << "never hidden into a tray that is not there";
    EXPECT_TRUE(w.isMinimized());
    w.showNormal();
  }

  QProcess panel;
  panel.start(test::binary("tray-host"));
  ASSERT_TRUE(eventually([&] { return panel.waitForReadyRead(20) || panel.canReadLine(); }));
  QByteArray said;
  EXPECT_TRUE(eventually([&] {
    said += panel.readAll();
    return said.contains("docked");
  }, 10000)) << "the icon came to the panel that started after the manager";
  EXPECT_TRUE(QSystemTrayIcon::isSystemTrayAvailable());
  w.close();
  EXPECT_FALSE(w.isVisible()) << "now it hides into the tray";
  panel.kill();
  panel.waitForFinished(5000);
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  lumi::test::PrivateEnvironment environment;
  lumi::test::XServer server;
  if (!server.ok()) {
    std::fprintf(stderr, "no private X server: %s\n", qPrintable(server.error()));
    return 1;
  }
  qputenv("QT_QPA_PLATFORM", "xcb");
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
