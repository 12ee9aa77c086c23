// Unpacking and installing an update in real folders: flags, staging and
// commit, names matching ignoring case, files in use left as ".Update"
// copies, and a failure before the commit that changes nothing.
#include "tests/transfer/ZipFixture.h"
#include "updater/core/ProgressTexts.h"
#include "updater/core/UpdateInstaller.h"
#include "updater/core/UpdateList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace lumi::updater {
namespace {

QByteArray readAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}
void writeFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

class UpdateInstallerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QDir().mkpath(update());
    writeFile(program("Lumicaster.exe"), "old shell");
    QFile::setPermissions(program("Lumicaster.exe"), QFile::permissions(program("Lumicaster.exe")) | QFile::ExeOwner);
    writeFile(program("Freshwell.exe"), "old updater");
    writeFile(program("Skin.ini"), "user settings");
  }
  QString update() const { return top.path() + "/Update"; }
  QString program(const QString& name = {}) const { return name.isEmpty() ? top.path() : top.path() + "/" + name; }
  QStringList programFiles() const {
    return QDir(top.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
  }
  QTemporaryDir top;
};

TEST(ChunkTextGateTest, TextsChangeOnThe1st31st61stNextChunkOfTheRunAndOnEveryFirstAndLastChunk) {
  ChunkTextGate gate;
  std::vector<int> refreshed;
  for (int n = 1; n <= 70; ++n) {
    if (gate.refresh(2043)) refreshed.push_back(n);
    if (n == 40) {  // a new file in between: its first and last chunks, and the count goes on
      EXPECT_TRUE(gate.refresh(2044));
      EXPECT_TRUE(gate.refresh(2042));
    }
  }
  EXPECT_EQ(refreshed, (std::vector<int>{1, 31, 61}));
}

TEST(UpdateFlagsTest, KnownArchivesSetTheirFlagsIgnoringCase) {
  struct Row {
    const char* name;
    bool pending, shell, manager;
  } rows[] = {{"FRESHWELL.EXE.ZIP", true, false, false},      {"resources.dll.zip", true, true, false},
              {"Lumicaster.exe.zip", false, true, false},     {"Lumicaster Manager.exe.zip", false, false, true},
              {"setup.zip", false, false, false},             {"Cinevane.exe.zip", false, false, false}};
  for (const Row& row : rows) {
    const UpdateFlags f = FlagsForArchive(row.name);
    EXPECT_EQ(f.pendingRename, row.pending) << row.name;
    EXPECT_EQ(f.stopShell, row.shell) << row.name;
    EXPECT_EQ(f.stopManager, row.manager) << row.name;
  }
}

TEST_F(UpdateInstallerTest, UnpackThenInstallReplacesByRenameAndLeavesFilesInUseForTheManager) {
  ASSERT_TRUE(test::WriteZip(update() + "/Lumicaster.exe.zip", {{"lumicaster.exe", "new shell", 0100755}}));
  ASSERT_TRUE(test::WriteZip(update() + "/Freshwell.exe.zip", {{"Freshwell.exe", "new updater", 0100755}}));
  ASSERT_TRUE(test::WriteZip(update() + "/setup.ZIP", {{"Cinevane.exe", "new player", 0100755}}));
  writeFile(update() + "/broken.zip", "not an archive");
  QDir().mkpath(update() + "/sub");
  writeFile(update() + "/sub/not-copied", "folders stay behind");

  std::vector<InstallProgress> seen;
  const UnpackResult unpacked = UnpackUpdate(update(), [&](const InstallProgress& p) { seen.push_back(p); });
  EXPECT_TRUE(unpacked.flags.pendingRename);
  EXPECT_TRUE(unpacked.flags.stopShell);
  EXPECT_FALSE(unpacked.flags.stopManager);
  EXPECT_EQ(unpacked.failedArchives, QStringList{"broken.zip"});
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back().totalPercent, 100);

  InstallOptions options;
  options.inUse = [&](const QString& path) { return QFileInfo(path).fileName() == "Freshwell.exe"; };
  const InstallResult installed = InstallUpdate(update(), program(), {}, options);
  ASSERT_TRUE(installed.ok) << installed.error.toStdString();
  EXPECT_EQ(readAll(program("Lumicaster.exe")), "new shell");
  EXPECT_EQ(readAll(program("Freshwell.exe")), "old updater");
  EXPECT_EQ(readAll(program("Freshwell.exe.Update")), "new updater");
  EXPECT_EQ(readAll(program("Cinevane.exe")), "new player");
  EXPECT_TRUE(QFileInfo(program("Cinevane.exe")).isExecutable());
  EXPECT_EQ(readAll(program("Skin.ini")), "user settings");
  EXPECT_EQ(programFiles(), (QStringList{"Cinevane.exe", "Freshwell.exe", "Freshwell.exe.Update", "Lumicaster.exe",
                                         "Skin.ini"}));
  EXPECT_FALSE(QFileInfo::exists(update()));
  EXPECT_EQ(installed.pending, QStringList{"Freshwell.exe.Update"});
}

TEST_F(UpdateInstallerTest, AFolderInTheWayStopsTheInstallationBeforeAnyProgramFileChanges) {
  writeFile(update() + "/Lumicaster.exe", "new shell");
  writeFile(update() + "/Zeta.exe", "new zeta");
  // The second target is a folder: it cannot be replaced.
  QDir().mkpath(program("Zeta.exe"));
  int checkpoints = 0;
  InstallOptions options;
  options.inUse = [](const QString&) { return false; };
  options.checkpoint = [&](const QString&) { ++checkpoints; };
  const InstallResult installed = InstallUpdate(update(), program(), {}, options);
  EXPECT_FALSE(installed.ok);
  EXPECT_EQ(checkpoints, 0);  // the commit never started
  EXPECT_EQ(readAll(program("Lumicaster.exe")), "old shell");
  for (const QString& name : programFiles()) EXPECT_FALSE(name.startsWith(".lumi-part-")) << name.toStdString();
}

TEST_F(UpdateInstallerTest, AnUnreadableDownloadStopsBeforeAnyProgramFileChanges) {
  writeFile(update() + "/Lumicaster.exe", "new shell");
  writeFile(update() + "/Unreadable.exe", "x");
  QFile::setPermissions(update() + "/Unreadable.exe", QFileDevice::Permissions{});
  if (QFile(update() + "/Unreadable.exe").open(QIODevice::ReadOnly)) GTEST_SKIP() << "running as a user who reads anything";
  const InstallResult installed = InstallUpdate(update(), program());
  EXPECT_FALSE(installed.ok);
  EXPECT_EQ(readAll(program("Lumicaster.exe")), "old shell");
  EXPECT_EQ(programFiles(), (QStringList{"Freshwell.exe", "Lumicaster.exe", "Skin.ini"}));
}

TEST_F(UpdateInstallerTest, FilesMappedByThisProcessCountAsInUse) {
  EXPECT_TRUE(MappedByThisProcess("/proc/self/exe") || MappedByThisProcess(QFileInfo("/proc/self/exe").symLinkTarget()));
  EXPECT_FALSE(MappedByThisProcess(program("Lumicaster.exe")));
}

TEST_F(UpdateInstallerTest, TheUpdateListIsBuiltOnceAndThenRefreshed) {
  const QList<version::VersionEntry> first = BuildUpdateList(program());
  EXPECT_EQ(first, (QList<version::VersionEntry>{{"Freshwell.exe", "0,0,0,0"},
                                                 {"Lumicaster.exe", "0,0,0,0"},
                                                 {"Skin.ini", "0,0,0,0"}}));
  EXPECT_EQ(readAll(program("Version.vif")),
            "Freshwell.exe | 0,0,0,0 |\nLumicaster.exe | 0,0,0,0 |\nSkin.ini | 0,0,0,0 |\n");
  // A file listed with a version keeps it when it carries no note.
  writeFile(program("Version.vif"), "Lumicaster Manager.exe | 1,0,0,1 |\n");
  EXPECT_EQ(BuildUpdateList(program()), (QList<version::VersionEntry>{{"Lumicaster Manager.exe", "1,0,0,1"}}));
  const QByteArray messages = UpdateListMessages({{"Tool.exe", "1,0,0,1"}});
  EXPECT_EQ(messages.toHex(), QByteArray("120800001700000008000000546f6f6c2e657865070000"
                                         "00312c302c302c311308000000000000"));
}

}  // namespace
}  // namespace lumi::updater
