// The real Freshwell.exe on a private X server against the real reference
// server on loopback: a program folder stamped as an older release is
// brought to the catalogue's release with one OK on the remote.
#include "tests/updater/FileChecksum.h"
#include "common/suite/PeerWindows.h"
#include "common/suite/SuiteMessages.h"
#include "common/version/VersionList.h"
#include "common/version/VersionNote.h"
#include "manager/core/PendingUpdates.h"
#include "platform/desktop/X11Desktop.h"
#include "platform/registry/Registry.h"
#include "tests/support/Eventually.h"
#include "tests/support/TestPaths.h"
#include "tests/support/XServer.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace lumi::updater {
namespace {

using test::eventually;
using version::FileVersion;

// The program files the tests install, and which of them the update replaces.
const QStringList kInstalled = {"Freshwell.exe", "Resources.dll", "Lumicaster.exe", "CaptionBlend.ax"};
const QStringList kReleased = {"Freshwell.exe", "Resources.dll", "Lumicaster.exe", "CaptionBlend.ax"};

class FreshwellProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(x_.ok()) << x_.error().toStdString();
    desktop_ = desktop::X11Desktop::create();
    ASSERT_TRUE(desktop_);
    programs_ = env_.file("programs");
    catalogue_ = env_.file("catalogue");
    QDir().mkpath(programs_);
    QDir().mkpath(catalogue_);
    for (const QString& name : kInstalled) {
      ASSERT_TRUE(version::WriteRestampedCopy(test::programDir() + "/" + name, programs_ + "/" + name,
                                              *FileVersion::parse("1.0.0.1")));
      oldSha_[name] = sha(programs_ + "/" + name);
    }
    for (const QString& name : kReleased) {
      ASSERT_TRUE(version::WriteRestampedCopy(test::programDir() + "/" + name, catalogue_ + "/" + name,
                                              *FileVersion::parse("1.0.0.2")));
      newSha_[name] = sha(catalogue_ + "/" + name);
    }
    using registry::Key;
    using registry::Root;
    Key::create(Root::CurrentUser, "Software\\Quelmar\\Lumicaster\\Server").writeString("URL0", "127.0.0.1");
    Key::create(Root::CurrentUser, "Software\\Quelmar\\Lumicaster\\Client").writeString("Path", programs_ + "/");
  }
  void TearDown() override {
    for (auto& p : processes_) {
      if (p->state() == QProcess::NotRunning) continue;
      p->kill();
      p->waitForFinished(5000);
    }
  }
  QProcess* start(const QString& program, const QStringList& args = {}, bool forwardErrors = true) {
    auto p = std::make_unique<QProcess>();
    QProcessEnvironment environment = test::suiteProgramEnvironment();
    environment.insert("LUMICASTER_SERVER_PORT", QString::number(port_));
    environment.insert("LUMICASTER_UPDATER_NOTICE_MS", "300");
    environment.insert("LUMICASTER_TRANSFER_TIMEOUT_MS", "3000");
    p->setProcessEnvironment(environment);
    if (forwardErrors) p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p->start(program, args);
    processes_.push_back(std::move(p));
    return processes_.back().get();
  }
  void startServer(const QStringList& extra = {}) {
    QProcess* server = start(test::binary("lumicaster-server"),
                             QStringList{"--port", "0", "--update-catalogue", catalogue_, "--chunk-size", "16384"} + extra,
                             false);
    QByteArray text;
    const QRegularExpression listening("listening on 127\\.0\\.0\\.1:(\\d+)");
    ASSERT_TRUE(eventually([&] {
      server->waitForReadyRead(50);
      text += server->readAllStandardError();
      const auto match = listening.match(QString::fromUtf8(text));
      if (match.hasMatch()) port_ = quint16(match.captured(1).toUInt());
      return port_ != 0;
    }, 20000)) << text.constData();
  }
  QProcess* startUpdater(const QStringList& args = {}) { return start(programs_ + "/Freshwell.exe", args); }
  // The question is up when the updater's window has a dialog: OK (13) on
  // the remote answers it, as the manager would relay it.
  void pressOk() {
    desktop::WindowId updater = 0;
    ASSERT_TRUE(eventually([&] { return (updater = suite::FindPeerWindow(suite::kUpdaterTitle, *desktop_)) != 0; }, 20000));
    ASSERT_TRUE(eventually([&] {
      for (desktop::WindowId w : desktop_->topLevelWindows())
        if (desktop_->windowTitle(w) == "MessageDlg") return true;
      return false;
    }, 20000));
    desktop_->post(updater, suite::WM_REMOTE_KEY, 13, 0);
  }
  QString recordedVersion() {
    QString version;
    registry::Key::open(registry::Root::CurrentUser, "Software\\Quelmar\\Lumicaster\\Client").readString("Version", version);
    return version;
  }

  test::XServer x_;
  test::PrivateEnvironment env_;
  std::unique_ptr<desktop::Desktop> desktop_;
  QString programs_, catalogue_;
  std::map<QString, QByteArray> oldSha_, newSha_;
  std::vector<std::unique_ptr<QProcess>> processes_;
  quint16 port_ = 0;
};

TEST_F(FreshwellProgram, OneOkInstallsTheReleaseAndASecondCheckEndsAtOnce) {
  startServer({"--idle-timeout", "2"});
  QProcess* updater = startUpdater({"show"});
  // The user takes longer to answer than either side's time-out.
  QThread::msleep(4000);
  pressOk();
  ASSERT_TRUE(updater->waitForFinished(180000));
  EXPECT_EQ(updater->exitCode(), 0);

  EXPECT_EQ(sha(programs_ + "/Lumicaster.exe"), newSha_["Lumicaster.exe"]);
  EXPECT_EQ(sha(programs_ + "/CaptionBlend.ax"), newSha_["CaptionBlend.ax"]);
  // The updater's own file and the resource library it had loaded wait for
  // the manager as ".Update" copies.
  EXPECT_EQ(sha(programs_ + "/Freshwell.exe"), oldSha_["Freshwell.exe"]);
  EXPECT_EQ(sha(programs_ + "/Freshwell.exe.Update"), newSha_["Freshwell.exe"]);
  EXPECT_EQ(sha(programs_ + "/Resources.dll.Update"), newSha_["Resources.dll"]);
  EXPECT_FALSE(QFileInfo::exists(programs_ + "/Update"));
  EXPECT_EQ(recordedVersion(), "1,0,0,2");
  EXPECT_TRUE(QFileInfo(programs_ + "/Lumicaster.exe").isExecutable());

  // The manager's pending step puts them in place.
  manager::ApplyPendingUpdates(programs_);
  for (const QString& name : kReleased) EXPECT_EQ(sha(programs_ + "/" + name), newSha_[name]) << name.toStdString();

  // A second check: the server answers 2032 and the updater ends by itself.
  QProcess* again = startUpdater();
  ASSERT_TRUE(again->waitForFinished(30000));
  EXPECT_EQ(again->exitCode(), 0);
  const auto listed = version::ReadVersionFile(programs_ + "/Version.vif");
  ASSERT_TRUE(listed);
  for (const version::VersionEntry& entry : *listed)
    if (kReleased.contains(entry.name)) EXPECT_EQ(entry.version, "1,0,0,2") << entry.name.toStdString();
}

TEST_F(FreshwellProgram, KilledDuringTheDownloadLeavesTheOldReleaseAndTheNextRunCompletes) {
  startServer({"--chunk-size", "1024"});
  // Ten kills spread over the download, each a fresh start of the updater
  // on what the previous one left.
  for (int i = 1; i <= 10; ++i) {
    SCOPED_TRACE(i);
    QProcess* updater = startUpdater();
    pressOk();
    QThread::msleep(unsigned(40 * i));
    updater->kill();
    updater->waitForFinished(10000);
    for (const QString& name : kInstalled) {
      const QByteArray now = sha(programs_ + "/" + name);
      EXPECT_TRUE(now == oldSha_[name] || now == newSha_[name]) << name.toStdString();
    }
    // The updater is no longer at hand to count the run as done: the
    // version is recorded only with a complete download.
    if (recordedVersion() == "1,0,0,2") break;
  }
  registry::Key::create(registry::Root::CurrentUser, "Software\\Quelmar\\Lumicaster\\Client").writeString("Version", "");
  QProcess* last = startUpdater();
  pressOk();
  ASSERT_TRUE(last->waitForFinished(180000));
  manager::ApplyPendingUpdates(programs_);
  for (const QString& name : kReleased) EXPECT_EQ(sha(programs_ + "/" + name), newSha_[name]) << name.toStdString();
  for (const QString& name : QDir(programs_).entryList(QDir::Files | QDir::Hidden))
    EXPECT_FALSE(name.startsWith(".lumi-part-")) << name.toStdString();
}

TEST_F(FreshwellProgram, NoOnTheQuestionChangesNothing) {
  startServer({"--update-answer", "new"});
  QProcess* updater = startUpdater();
  desktop::WindowId window = 0;
  ASSERT_TRUE(eventually([&] { return (window = suite::FindPeerWindow(suite::kUpdaterTitle, *desktop_)) != 0; }, 20000));
  ASSERT_TRUE(eventually([&] {
    for (desktop::WindowId w : desktop_->topLevelWindows())
      if (desktop_->windowTitle(w) == "MessageDlg") return true;
    return false;
  }, 20000));
  desktop_->post(window, suite::WM_REMOTE_KEY, 14, 0);  // Exit: cancel
  ASSERT_TRUE(updater->waitForFinished(30000));
  for (const QString& name : kInstalled) EXPECT_EQ(sha(programs_ + "/" + name), oldSha_[name]) << name.toStdString();
  EXPECT_EQ(recordedVersion(), "");
}

TEST_F(FreshwellProgram, WithoutTheResourceLibraryTheUpdaterSaysSoAndEndsTellingTheManager) {
  QFile::remove(programs_ + "/Resources.dll");
  // A window titled like the manager that records what it is sent.
  const QString log = env_.file("manager.log");
  start(test::binary("suite-test-window"), {"--window-title", suite::managerTitle(), "--log", log}, false);
  ASSERT_TRUE(eventually([&] { return suite::FindPeerWindow(suite::managerTitle(), *desktop_) != 0; }, 20000));
  QProcess* updater = startUpdater();
  ASSERT_TRUE(updater->waitForFinished(30000));
  EXPECT_NE(updater->exitCode(), 0);
  QByteArray seen;
  EXPECT_TRUE(eventually([&] {
    QFile file(log);
    seen = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    return seen.contains("send 0x472 ");  // WM_UPDATER_CLOSED
  }, 10000)) << seen.constData();
}

TEST_F(FreshwellProgram, NoServerAnsweringEndsTheUpdaterQuietly) {
  port_ = 1;  // nothing listens there
  QProcess* updater = startUpdater();
  ASSERT_TRUE(updater->waitForFinished(30000));
  EXPECT_EQ(updater->exitCode(), 0);
  for (const QString& name : kInstalled) EXPECT_EQ(sha(programs_ + "/" + name), oldSha_[name]);
}

}  // namespace
}  // namespace lumi::updater
