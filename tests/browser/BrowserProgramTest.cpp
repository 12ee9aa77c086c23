// The shell as a user with a remote meets the media library: started for
// real on a private X server, driven by key codes from another process, with
// a stand-in "Cinevane.exe" in the data folder that records its argument and
// answers as the player window.
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <csignal>
#include <memory>

#include "common/suite/PeerWindows.h"
#include "common/suite/SuiteMessages.h"
#include "platform/desktop/X11Desktop.h"
#include "platform/registry/Registry.h"
#include "tests/support/Eventually.h"
#include "tests/support/ShellProbe.h"
#include "tests/support/TestPaths.h"
#include "tests/support/XServer.h"

using namespace lumi;
using desktop::WindowId;
using lumi::test::eventually;
using registry::Key;
using registry::Root;

namespace {

const QString kRoot = QStringLiteral("Software\\Quelmar\\Lumicaster");

QByteArray readAll(const QString& file) {
  QFile f(file);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void touch(const QString& path) {
  QDir().mkpath(QFileInfo(path).path());
  QFile f(path);
  f.open(QIODevice::WriteOnly);
}

class BrowserProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.ok()) << server_.error().toStdString();
    desktop_ = desktop::X11Desktop::create();
    ASSERT_TRUE(desktop_);
    data_ = env_.file("data") + "/";
    QDir().mkpath(data_);
    Key::create(Root::CurrentUser, kRoot + "\\Client").writeString("Path", data_);
    // The stand-in player: records its arguments, then stands as the
    // player's window and logs the keys it gets.
    QFile script(data_ + "Cinevane.exe");
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(QString("#!/bin/sh\nprintf '%s:%s\\n' \"$#\" \"$1\" >> '%1'\n"
                         "exec '%2' --window-title 'Lumicaster Movie Player' --hidden --log '%3'\n")
                     .arg(data_ + "launch.log", test::binary("suite-test-window"), data_ + "player.log")
                     .toUtf8());
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }
  void TearDown() override {
    if (WindowId player = suite::FindPeerWindow("Lumicaster Movie Player", *desktop_)) {
      ::kill(pid_t(desktop_->windowProcess(player)), SIGKILL);
    }
    for (auto& p : processes_) {
      p->kill();
      p->waitForFinished(5000);
    }
  }
  void mapDrive(char letter, const QString& folder, const QString& type = {}, const QString& label = {}) {
    const QString name(QChar::fromLatin1(letter));
    Key::create(Root::CurrentUser, kRoot + "\\Drives").writeString(name, folder);
    if (!type.isEmpty()) Key::create(Root::CurrentUser, kRoot + "\\Drives\\Types").writeString(name, type);
    if (!label.isEmpty()) Key::create(Root::CurrentUser, kRoot + "\\Drives\\Labels").writeString(name, label);
  }
  WindowId startShell() {
    auto p = std::make_unique<QProcess>();
    p->setProcessEnvironment(test::suiteProgramEnvironment());
    p->setProcessChannelMode(QProcess::ForwardedChannels);
    p->start(test::binary("Lumicaster.exe"), {});
    processes_.push_back(std::move(p));
    WindowId shell = 0;
    eventually([&] { return (shell = suite::FindPeerWindow("LUMICASTER", *desktop_)) != 0; });
    // Keys count once the menu shows its highlight.
    if (shell) eventually([&] { return test::HighlightedTopMenuButton(desktop_->connection(), shell) == 0; });
    return shell;
  }
  // From the main menu through "내 컴퓨터" → "영 화", a scan, the folder and
  // OK on its first movie: true when the stand-in player was started.
  bool playFirstMovie(const QString& drive) {
    for (const char* name : {"Film CD1.avi", "Film CD2.avi", "Film CD3.avi", "Other.avi"}) touch(drive + "/Films/" + name);
    mapDrive('C', drive);
    Key::create(Root::CurrentUser, kRoot).writeDWord("SortType", 1);  // by name, so CD1 comes first
    shell_ = startShell();
    if (!shell_) return false;
    key(suite::KeyOk);  // "내 컴퓨터"
    if (!waitFor("My computer")) return false;
    key(suite::KeyOk);  // "영 화"
    if (!(browser_ = waitFor("Movie"))) return false;
    key(suite::KeyDown);  // "검 색"
    key(suite::KeyOk);
    const QString entries = data_ + "Movie/C_Movie.dat", progress = data_ + "Movie/C_Movie2.dat";
    if (!eventually([&] {
          const QByteArray p = readAll(progress);
          return readAll(entries).size() == 788 && p.size() == 16 && p.left(8) == p.mid(8);
        })) {
      ADD_FAILURE() << "the scan did not complete";
      return false;
    }
    key(suite::KeyRight);  // into the folder list
    key(suite::KeyOk);     // open "Films"
    key(suite::KeyOk);     // its first movie: a key never overtakes the OK before it
    return eventually([&] { return !launches().isEmpty(); });
  }

  // The reference server on the suite's port, recording the usage reports.
  bool startStatisticsServer() {
    auto p = std::make_unique<QProcess>();
    p->setProcessChannelMode(QProcess::SeparateChannels);
    p->start(test::binary("lumicaster-server"), {"--stats-file", data_ + "usage.log"});
    QProcess* server = p.get();
    processes_.push_back(std::move(p));
    QByteArray err;
    return eventually([&] {
      server->waitForReadyRead(50);
      err += server->readAllStandardError();
      return err.contains("listening");
    });
  }
  QStringList usage() { return QString::fromUtf8(readAll(data_ + "usage.log")).split('\n', Qt::SkipEmptyParts); }

  void key(int code) { desktop_->post(shell_, suite::WM_REMOTE_KEY, code, 0); }
  // The window once it shows: then it is the current window, which the
  // main window hands the keys to.
  WindowId waitFor(const QString& title) {
    WindowId w = 0;
    eventually([&] { return (w = suite::FindPeerWindow(title, *desktop_)) != 0 && viewable(w); });
    return w;
  }
  bool viewable(WindowId window) {
    xcb_connection_t* c = desktop_->connection();
    auto* reply = xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, xcb_window_t(window)), nullptr);
    const bool on = reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
    free(reply);
    return on;
  }
  QStringList launches() { return QString::fromUtf8(readAll(data_ + "launch.log")).split('\n', Qt::SkipEmptyParts); }

  test::PrivateEnvironment env_;
  test::XServer server_;
  std::unique_ptr<desktop::X11Desktop> desktop_;
  std::vector<std::unique_ptr<QProcess>> processes_;
  QString data_;
  WindowId shell_ = 0;
  WindowId browser_ = 0;
};


TEST_F(BrowserProgram, KeyCodesTakeTheShellFromTheMainMenuToThePlayerWithTheSeries) {
  const QString drive = env_.file("drive");
  ASSERT_TRUE(startStatisticsServer());
  ASSERT_TRUE(playFirstMovie(drive));
  const WindowId browser = browser_;
  EXPECT_EQ(launches(), QStringList({"1:lst://" + data_ + "MoviePlaylist.txt"}));
  EXPECT_EQ(readAll(data_ + "MoviePlaylist.txt"),
            (drive + "/Films/Film CD1.avi\r\n" + drive + "/Films/Film CD2.avi\r\n" + drive + "/Films/Film CD3.avi\r\n")
                .toUtf8());
  // The play is recorded right after the start.
  EXPECT_TRUE(eventually([&] { return readAll(data_ + "Recent.dat").size() == 4 + 1280; }));
  EXPECT_TRUE(eventually([&] { return usage().contains("usage 1"); })) << usage().join(", ").toStdString();

  // While the player runs, keys go to it and nothing moves in the shell.
  WindowId player = 0;
  eventually([&] { return (player = suite::FindPeerWindow("Lumicaster Movie Player", *desktop_)) != 0; });
  ASSERT_NE(player, 0u);
  EXPECT_TRUE(eventually([&] { return !viewable(browser); })) << "the browser steps aside while the player runs";
  key(suite::KeyDown);
  EXPECT_TRUE(eventually([&] { return readAll(data_ + "player.log").contains(" 16 "); }));

  // A player that dies without its closing word gives the screen back.
  ::kill(pid_t(desktop_->windowProcess(player)), SIGKILL);
  EXPECT_TRUE(eventually([&] { return viewable(browser); })) << "the browser comes back after a crashed player";
}

TEST_F(BrowserProgram, TwoDvdsOpenTheChooserAndItsSecondButtonPlaysTheSecond) {
  const QString dvd1 = env_.file("dvd1"), dvd2 = env_.file("dvd2");
  touch(dvd1 + "/VIDEO_TS/VIDEO_TS.IFO");
  touch(dvd2 + "/video_ts/video_ts.ifo");
  mapDrive('C', env_.file("home"));
  mapDrive('E', dvd1, "cdrom", "FIRST");
  mapDrive('F', dvd2, "cdrom", "SECOND");
  ASSERT_TRUE(startStatisticsServer());
  shell_ = startShell();
  ASSERT_NE(shell_, 0u);
  key(suite::KeyOk);
  ASSERT_NE(waitFor("My computer"), 0u);
  for (int i = 0; i < 3; ++i) key(suite::KeyDown);
  key(suite::KeyOk);  // "DVD"
  ASSERT_NE(waitFor("DVD"), 0u);
  key(suite::KeyDown);
  key(suite::KeyOk);
  ASSERT_TRUE(eventually([&] { return !launches().isEmpty(); }));
  EXPECT_EQ(launches(), QStringList({"1:dvd://" + dvd2 + "/"}));
  EXPECT_TRUE(eventually([&] { return usage().contains("usage 4"); })) << usage().join(", ").toStdString();
  EXPECT_NE(suite::FindPeerWindow("DVD", *desktop_), 0u) << "the chooser stays open";
}

TEST_F(BrowserProgram, MenuKeyOnAFolderOffersToDeleteItFromTheCatalogue) {
  const QString drive = env_.file("drive");
  touch(drive + "/A/a.avi");
  touch(drive + "/B/b.avi");
  mapDrive('C', drive);
  shell_ = startShell();
  ASSERT_NE(shell_, 0u);
  key(suite::KeyOk);
  ASSERT_NE(waitFor("My computer"), 0u);
  key(suite::KeyOk);
  ASSERT_NE(waitFor("Movie"), 0u);
  key(suite::KeyDown);
  key(suite::KeyOk);
  const QString entries = data_ + "Movie/C_Movie.dat";
  ASSERT_TRUE(eventually([&] { return readAll(data_ + "Movie/C_Movie2.dat").size() == 16 && readAll(entries).size() == 2 * 788; }));
  key(suite::KeyRight);
  key(suite::KeyMenu);
  ASSERT_NE(waitFor("MessageDlg"), 0u);
  key(suite::KeyDown);  // "지우기"
  key(suite::KeyOk);
  EXPECT_TRUE(eventually([&] { return readAll(entries).size() == 788; })) << readAll(entries).size();
}

TEST_F(BrowserProgram, SortEntriesStoreWhatTheirLabelsSay) {
  mapDrive('C', env_.file("drive"));
  QDir().mkpath(env_.file("drive"));
  shell_ = startShell();
  ASSERT_NE(shell_, 0u);
  auto stored = [](const char* name) {
    quint32 value = 99;
    Key::open(Root::CurrentUser, kRoot).readDWord(name, value);
    return value;
  };
  // Opens the browser, opens the sort entries, chooses entry `entry`
  // (1 이름정렬, 2 날짜정렬, 3 크기정렬) `times` times and leaves, which
  // writes the values.
  auto choose = [&](int entry, int times) {
    key(suite::KeyOk);  // "영 화" on the "내 컴퓨터" menu
    ASSERT_NE(waitFor("Movie"), 0u);
    key(suite::KeyOk);  // "정 렬"
    for (int i = 0; i < entry; ++i) key(suite::KeyDown);
    for (int i = 0; i < times; ++i) {
      key(suite::KeyOk);
      QThread::msleep(300);  // the activation comes 100 ms after OK
    }
    key(suite::KeyExit);
    ASSERT_TRUE(eventually([&] { return suite::FindPeerWindow("Movie", *desktop_) == 0; }));
  };
  key(suite::KeyOk);  // "내 컴퓨터"
  ASSERT_NE(waitFor("My computer"), 0u);
  choose(2, 1);
  EXPECT_EQ(stored("SortType"), 2u) << "날짜정렬 sorts by date";
  EXPECT_EQ(stored("SortState"), 0u);
  choose(3, 1);
  EXPECT_EQ(stored("SortType"), 3u) << "크기정렬 sorts by size";
  choose(1, 2);
  EXPECT_EQ(stored("SortType"), 1u);
  EXPECT_EQ(stored("SortState"), 1u) << "the same sort twice turns the order round";
}

TEST_F(BrowserProgram, AFolderWhoseMoviesWereDeletedLeavesTheCatalogueButAnUnpluggedDriveKeepsIt) {
  const QString drive = env_.file("drive");
  touch(drive + "/A/a.avi");
  touch(drive + "/B/b.avi");
  mapDrive('C', drive);
  Key::create(Root::CurrentUser, kRoot).writeDWord("SortType", 1);  // A before B
  shell_ = startShell();
  ASSERT_NE(shell_, 0u);
  key(suite::KeyOk);
  ASSERT_NE(waitFor("My computer"), 0u);
  key(suite::KeyOk);
  ASSERT_NE(waitFor("Movie"), 0u);
  key(suite::KeyDown);
  key(suite::KeyOk);
  const QString entries = data_ + "Movie/C_Movie.dat";
  ASSERT_TRUE(eventually([&] { return readAll(data_ + "Movie/C_Movie2.dat").size() == 16 && readAll(entries).size() == 2 * 788; }));
  QFile::remove(drive + "/A/a.avi");
  key(suite::KeyRight);
  key(suite::KeyOk);  // open A: no movie any more
  ASSERT_NE(waitFor("MessageDlg"), 0u);
  key(suite::KeyOk);
  EXPECT_TRUE(eventually([&] { return readAll(entries).size() == 788; })) << "A left the catalogue file";
  ASSERT_TRUE(eventually([&] { return suite::FindPeerWindow("MessageDlg", *desktop_) == 0; }));
  // The drive is gone (unplugged): B's entry stays for when it comes back.
  QDir(drive).removeRecursively();
  // The closing dialog may still hold the key target for a moment: OK again
  // until the message for B shows (an OK the dialog took is lost, not doubled).
  ASSERT_TRUE(eventually([&] {
    key(suite::KeyOk);
    return eventually([&] { return suite::FindPeerWindow("MessageDlg", *desktop_) != 0; }, 1500);
  }, 6000));
  key(suite::KeyOk);
  ASSERT_TRUE(eventually([&] { return suite::FindPeerWindow("MessageDlg", *desktop_) == 0; }));
  EXPECT_EQ(readAll(entries).size(), 788);
}

TEST_F(BrowserProgram, NoDvdSaysSoAndTheOneVideoCdPlaysAtOnce) {
  const QString vcd = env_.file("vcd");
  QDir().mkpath(vcd + "/mpegav");  // a plain ISO 9660 disc shows lower-case names
  mapDrive('C', env_.file("home"));
  mapDrive('E', vcd, "cdrom");
  ASSERT_TRUE(startStatisticsServer());
  shell_ = startShell();
  ASSERT_NE(shell_, 0u);
  key(suite::KeyOk);
  ASSERT_NE(waitFor("My computer"), 0u);
  for (int i = 0; i < 3; ++i) key(suite::KeyDown);
  key(suite::KeyOk);  // "DVD": none
  ASSERT_NE(waitFor("MessageDlg"), 0u);
  key(suite::KeyOk);
  ASSERT_TRUE(eventually([&] { return suite::FindPeerWindow("MessageDlg", *desktop_) == 0; }));
  EXPECT_TRUE(launches().isEmpty());
  key(suite::KeyDown);
  key(suite::KeyOk);  // "Video CD"
  ASSERT_TRUE(eventually([&] { return !launches().isEmpty(); }));
  EXPECT_EQ(launches(), QStringList({"1:vcd://" + vcd + "/"}));
  EXPECT_TRUE(eventually([&] { return usage().contains("usage 5"); })) << usage().join(", ").toStdString();
  QString monitor;
  Key::open(Root::CurrentUser, kRoot).readString("CurrentMonitor", monitor);
  EXPECT_FALSE(monitor.isEmpty()) << "the player opens on the shell's monitor";
}

TEST_F(BrowserProgram, ThePlayersDataWordTwoLeavesTheShellMinimisedAfterThePlayerEnds) {
  ASSERT_TRUE(playFirstMovie(env_.file("drive")));
  WindowId player = 0;
  ASSERT_TRUE(eventually([&] { return (player = suite::FindPeerWindow("Lumicaster Movie Player", *desktop_)) != 0; }));
  // The user closed the player with its power key: the shell steps down.
  desktop_->sendCopyData(shell_, player, suite::kCopyPlayerClosedByUser, QByteArray(8, '\0'));
  ::kill(pid_t(desktop_->windowProcess(player)), SIGKILL);
  ASSERT_TRUE(eventually([&] { return suite::FindPeerWindow("Lumicaster Movie Player", *desktop_) == 0; }));
  // The shell notices the end at once; a key code it handles after that
  // shows that it has.
  key(suite::KeyVolumeUp);
  ASSERT_TRUE(eventually([&] {
    quint32 volume = 0;
    Key::open(Root::CurrentUser, kRoot).readDWord("Volume", volume);
    return volume == 800u;
  }));
  EXPECT_FALSE(viewable(browser_)) << "a player that asked for it leaves the shell minimised";
}

TEST_F(BrowserProgram, ABrowserWithoutDrivesShowsAnEmptyListAndTakesKeys) {
  Key::create(Root::CurrentUser, kRoot + "\\Drives");  // mapped, but no letter at all
  shell_ = startShell();
  ASSERT_NE(shell_, 0u);
  key(suite::KeyOk);
  ASSERT_NE(waitFor("My computer"), 0u);
  key(suite::KeyOk);
  ASSERT_NE(waitFor("Movie"), 0u);
  for (int code : {suite::KeyDown, suite::KeyOk, suite::KeyRight, suite::KeyLeft, suite::KeyUp, suite::KeyOk,
                   suite::KeyMenu, suite::KeyChannelDown})
    key(code);
  key(suite::KeyExit);
  key(suite::KeyExit);
  EXPECT_TRUE(eventually([&] { return suite::FindPeerWindow("Movie", *desktop_) == 0; }));
  EXPECT_TRUE(suite::AnswersPing(shell_, *desktop_));
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
