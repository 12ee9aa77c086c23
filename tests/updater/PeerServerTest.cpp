// The real Freshwell.exe against an independent update server written in
// Python (standard library only): the bytes the updater sends match the
// peer's own struct-built messages, an honest update installs, and every
// attack ends the updater with nothing written outside its download folder
// and no program file changed.
#include "tests/updater/FileChecksum.h"
#include "common/suite/PeerWindows.h"
#include "common/suite/SuiteMessages.h"
#include "common/version/VersionNote.h"
#include "platform/desktop/X11Desktop.h"
#include "platform/registry/Registry.h"
#include "tests/support/Eventually.h"
#include "tests/support/TestPaths.h"
#include "tests/support/XServer.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <map>

namespace lumi::updater {
namespace {

using test::eventually;

const QStringList kInstalled = {"CaptionBlend.ax", "Freshwell.exe", "Lumicaster.exe", "Resources.dll"};

class PeerServer : public ::testing::TestWithParam<const char*> {
 protected:
  static void SetUpTestSuite() { x_ = new test::XServer(); }
  static void TearDownTestSuite() {
    delete x_;
    x_ = nullptr;
  }
  void SetUp() override {
    ASSERT_TRUE(x_->ok()) << x_->error().toStdString();
    desktop_ = desktop::X11Desktop::create();
    programs_ = env_.file("programs");
    catalogue_ = env_.file("catalogue");
    QDir().mkpath(programs_);
    QDir().mkpath(catalogue_);
    for (const QString& name : kInstalled) {
      ASSERT_TRUE(version::WriteRestampedCopy(test::programDir() + "/" + name, programs_ + "/" + name,
                                              *version::FileVersion::parse("1.0.0.1")));
      old_[name] = sha(programs_ + "/" + name);
    }
    ASSERT_TRUE(version::WriteRestampedCopy(test::programDir() + "/Lumicaster.exe", catalogue_ + "/Lumicaster.exe",
                                            *version::FileVersion::parse("1.0.0.9")));
    registry::Key::create(registry::Root::CurrentUser, "Software\\Quelmar\\Lumicaster\\Server")
        .writeString("URL0", "127.0.0.1");
    registry::Key::create(registry::Root::CurrentUser, "Software\\Quelmar\\Lumicaster\\Client")
        .writeString("Path", programs_ + "/");
  }
  void TearDown() override {
    for (QProcess* p : {&peer_, &updater_})
      if (p->state() != QProcess::NotRunning) {
        p->kill();
        p->waitForFinished(5000);
      }
  }

  static test::XServer* x_;
  test::PrivateEnvironment env_;
  std::unique_ptr<desktop::Desktop> desktop_;
  QString programs_, catalogue_;
  std::map<QString, QByteArray> old_;
  QProcess peer_, updater_;
};
test::XServer* PeerServer::x_ = nullptr;

TEST_P(PeerServer, Exchange) {
  const QString attack = GetParam();
  const QString portFile = env_.file("port");
  peer_.setProcessChannelMode(QProcess::ForwardedChannels);
  peer_.start("python3", {QString(LUMI_PEER_SCRIPT), portFile, programs_, catalogue_, attack});
  QByteArray port;
  ASSERT_TRUE(eventually([&] {
    QFile file(portFile);
    if (file.open(QIODevice::ReadOnly)) port = file.readAll();
    return !port.isEmpty();
  }, 20000));

  QProcessEnvironment environment = test::suiteProgramEnvironment();
  environment.insert("LUMICASTER_SERVER_PORT", QString::fromLatin1(port));
  environment.insert("LUMICASTER_UPDATER_NOTICE_MS", "200");
  environment.insert("LUMICASTER_TRANSFER_TIMEOUT_MS", "5000");
  updater_.setProcessEnvironment(environment);
  updater_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  updater_.start(programs_ + "/Freshwell.exe");

  desktop::WindowId window = 0;
  ASSERT_TRUE(eventually([&] { return (window = suite::FindPeerWindow(suite::kUpdaterTitle, *desktop_)) != 0; }, 20000));
  ASSERT_TRUE(eventually([&] {
    for (desktop::WindowId w : desktop_->topLevelWindows())
      if (desktop_->windowTitle(w) == "MessageDlg") return true;
    return false;
  }, 20000));
  desktop_->post(window, suite::WM_REMOTE_KEY, 13, 0);

  ASSERT_TRUE(updater_.waitForFinished(60000));
  EXPECT_EQ(updater_.exitStatus(), QProcess::NormalExit);
  ASSERT_TRUE(peer_.waitForFinished(60000));
  EXPECT_EQ(peer_.exitCode(), 0) << "the peer saw other bytes than it expected";

  // Nothing outside the program folder; inside it, only the program files,
  // the version list and what the update itself brought.
  QStringList written;
  QDirIterator it(env_.path(), QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = QDir(env_.path()).relativeFilePath(it.next());
    if (path.startsWith("programs/") || path.startsWith("registry/") || path.startsWith("runtime/") ||
        path.startsWith("catalogue/") || path == "port")
      continue;
    written << path;
  }
  EXPECT_EQ(written, QStringList{});
  for (const char* outside : {"/tmp/lumi-absolute.txt", "/tmp/lumi-evil.zip", "/tmp/lumi-evil-2037.zip"})
    EXPECT_FALSE(QFileInfo::exists(outside)) << outside;
  EXPECT_FALSE(QFileInfo::exists(env_.file("escaped.txt")));

  QStringList programFiles = QDir(programs_).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
  if (attack == "honest") {
    EXPECT_EQ(sha(programs_ + "/Lumicaster.exe"), sha(catalogue_ + "/Lumicaster.exe"));
    EXPECT_EQ(programFiles, (QStringList{"CaptionBlend.ax", "Freshwell.exe", "Lumicaster.exe", "Resources.dll",
                                         "Version.vif"}));
    return;
  }
  if (attack == "zip-slip") {
    // The archive held nothing installable: the program files are as they were.
    programFiles.removeAll("Version.vif");
    EXPECT_EQ(programFiles, kInstalled);
  } else {
    EXPECT_EQ(programFiles, (QStringList{"CaptionBlend.ax", "Freshwell.exe", "Lumicaster.exe", "Resources.dll",
                                         "Version.vif"}));
  }
  for (const QString& name : kInstalled) EXPECT_EQ(sha(programs_ + "/" + name), old_[name]) << name.toStdString();
  EXPECT_FALSE(QFileInfo::exists(programs_ + "/Update/a.zip"));
}

INSTANTIATE_TEST_SUITE_P(Attacks, PeerServer,
                         ::testing::Values("honest", "zip-slip", "dotdot-name", "absolute-name", "drive-name",
                                           "absolute-2037", "negative-size", "bytes-beyond-size", "short-last-chunk",
                                           "chunk-without-file", "finished-mid-file", "all-sent-mid-file",
                                           "chunk-count-lies", "stall", "negative-length"),
                         [](const auto& info) {
                           std::string name = info.param;
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

}  // namespace
}  // namespace lumi::updater
