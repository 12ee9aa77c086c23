// The whole suite updating itself: the real manager (with a virtual remote
// on its receiver), shell and updater, installed from an older release, and
// the real reference server offering the new one. The manager's connection
// starts the updater; one OK on the remote installs; the manager and the
// shell stop and come back, and the manager's pending step puts the
// updater's own file and the resource library in place.
#include "common/suite/PeerWindows.h"
#include "common/suite/SuiteMessages.h"
#include "common/version/VersionNote.h"
#include "manager/core/RemoteSettings.h"
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

#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace lumi::updater {
namespace {

using test::eventually;

QByteArray sha(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return "<missing>";
  return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex();
}

const QStringList kSuite = {"Lumicaster.exe", "Lumicaster Manager.exe", "Freshwell.exe", "Resources.dll",
                            "CaptionBlend.ax"};

class SuiteUpdate : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(x_.ok()) << x_.error().toStdString();
    desktop_ = desktop::X11Desktop::create();
    QDir(env_.path()).mkpath("config");
    oldConfig_ = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(env_.file("config")));
    for (int n = 1; n <= manager::kPortCount; ++n)
      manager::mapPort(n, env_.file(QStringLiteral("no-receiver-COM%1").arg(n)));
    programs_ = env_.file("programs");
    catalogue_ = env_.file("catalogue");
    QDir().mkpath(programs_);
    QDir().mkpath(catalogue_);
    for (const QString& name : kSuite) {
      ASSERT_TRUE(version::WriteRestampedCopy(test::programDir() + "/" + name, programs_ + "/" + name,
                                              *version::FileVersion::parse("1.0.0.1")));
      ASSERT_TRUE(version::WriteRestampedCopy(test::programDir() + "/" + name, catalogue_ + "/" + name,
                                              *version::FileVersion::parse("1.0.0.2")));
      newSha_[name] = sha(catalogue_ + "/" + name);
    }
    using registry::Key;
    using registry::Root;
    Key::create(Root::CurrentUser, "Software\\Quelmar\\Lumicaster\\Server").writeString("URL0", "127.0.0.1");
    Key::create(Root::CurrentUser, "Software\\Quelmar\\Lumicaster\\Client").writeString("Path", programs_ + "/");
    Key::create(Root::CurrentUser, "Software\\Quelmar\\Lumicaster\\Keywarden").writeDWord("LaunchAfterConnect", 1);
  }
  void TearDown() override {
    qputenv("XDG_CONFIG_HOME", oldConfig_);
    // The suite's programs started one another: end them by their windows.
    for (const QString& title : {suite::managerTitle(), suite::kShellTitle, suite::kUpdaterTitle})
      if (const desktop::WindowId w = suite::FindPeerWindow(title, *desktop_))
        suite::CloseSuiteProgram(w, suite::GoneWhen::WindowGone, 5000, *desktop_);
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
    environment.insert("LUMICASTER_UPDATER_NOTICE_MS", "500");
    p->setProcessEnvironment(environment);
    p->setProcessChannelMode(forwardErrors ? QProcess::ForwardedErrorChannel : QProcess::SeparateChannels);
    p->start(program, args);
    processes_.push_back(std::move(p));
    return processes_.back().get();
  }

  test::XServer x_;
  test::PrivateEnvironment env_;
  QByteArray oldConfig_;
  std::unique_ptr<desktop::Desktop> desktop_;
  QString programs_, catalogue_;
  std::map<QString, QByteArray> newSha_;
  std::vector<std::unique_ptr<QProcess>> processes_;
  quint16 port_ = 0;
};

TEST_F(SuiteUpdate, OneOkOnTheRemoteBringsTheSuiteToTheNewReleaseWithTheShellRunningAgain) {
  QProcess* server = start(test::binary("lumicaster-server"),
                           {"--port", "0", "--update-catalogue", catalogue_, "--chunk-size", "262144"}, false);
  QByteArray text;
  ASSERT_TRUE(eventually([&] {
    server->waitForReadyRead(50);
    text += server->readAllStandardError();
    const auto m = QRegularExpression("listening on 127\\.0\\.0\\.1:(\\d+)").match(QString::fromUtf8(text));
    if (m.hasMatch()) port_ = quint16(m.captured(1).toUInt());
    return port_ != 0;
  }, 60000)) << text.constData();

  QProcess* remote = start(test::binary("virtual-remote"), {"--model", "A", "--map", "COM1"});
  ASSERT_TRUE(eventually([&] { return remote->waitForReadyRead(100) || remote->canReadLine(); }));
  const QString device = QString::fromLocal8Bit(remote->readLine()).trimmed();
  ASSERT_TRUE(eventually([&] { return manager::portDevice(1) == device; }));

  // The shell runs; the manager starts and connects the receiver, which
  // starts the updater silently.
  start(programs_ + "/Lumicaster.exe");
  ASSERT_TRUE(eventually([&] { return suite::FindPeerWindow(suite::kShellTitle, *desktop_) != 0; }, 20000));
  start(programs_ + "/Lumicaster Manager.exe");
  ASSERT_TRUE(eventually([&] {
    for (desktop::WindowId w : desktop_->topLevelWindows())
      if (desktop_->windowTitle(w) == "MessageDlg") return true;
    return false;
  }, 60000)) << "the update offer did not show";

  remote->write("OK\n");
  remote->waitForBytesWritten(1000);

  // Everything new, nothing pending, the manager and the shell back.
  ASSERT_TRUE(eventually([&] {
    for (const QString& name : kSuite)
      if (sha(programs_ + "/" + name) != newSha_[name]) return false;
    return true;
  }, 120000)) << [&] {
    std::string s;
    for (const QString& name : kSuite)
      s += name.toStdString() + (sha(programs_ + "/" + name) == newSha_[name] ? " new\n" : " old\n");
    return s;
  }();
  EXPECT_TRUE(eventually([&] { return suite::FindPeerWindow(suite::managerTitle(), *desktop_) != 0; }, 30000));
  EXPECT_TRUE(eventually([&] { return suite::FindPeerWindow(suite::kShellTitle, *desktop_) != 0; }, 60000))
      << "the shell did not come back";
  for (const QString& name : QDir(programs_).entryList(QDir::Files | QDir::Hidden))
    EXPECT_FALSE(name.contains(".Update") || name.startsWith(".lumi-part-")) << name.toStdString();
  QString version;
  registry::Key::open(registry::Root::CurrentUser, "Software\\Quelmar\\Lumicaster\\Client").readString("Version", version);
  EXPECT_EQ(version, "1,0,0,2");
}

}  // namespace
}  // namespace lumi::updater
