// Drives come from the registry mapping when it exists, else from the mount
// table; the order is fixed, so catalogue letters stay put.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "platform/registry/Registry.h"
#include "shell/library/DriveList.h"
#include "tests/support/TestPaths.h"

using namespace lumi::library;
using lumi::registry::Key;
using lumi::registry::Root;

TEST(DriveList, RegistryMappingIsTheWholeListInLetterOrder) {
  lumi::test::PrivateEnvironment env;
  Key drives = Key::create(Root::CurrentUser, kDrivesKey);
  drives.writeString("F", "/srv/dvd");
  drives.writeString("C", "/home/u/");
  drives.writeString("E", "/srv/stick");
  Key::create(Root::CurrentUser, kDrivesKey + "\\Types").writeString("F", "cdrom");
  Key::create(Root::CurrentUser, kDrivesKey + "\\Types").writeString("E", "removable");
  Key::create(Root::CurrentUser, kDrivesKey + "\\Labels").writeString("F", "MOVIE");

  QList<Drive> list;
  ASSERT_TRUE(DrivesFromRegistry(list));
  ASSERT_EQ(list.size(), 3);
  EXPECT_EQ(list[0].letter, 'C');
  EXPECT_EQ(list[0].root, "/home/u/");
  EXPECT_EQ(list[0].type, DriveType::Fixed);
  EXPECT_EQ(list[1].letter, 'E');
  EXPECT_EQ(list[1].root, "/srv/stick/");
  EXPECT_EQ(list[1].type, DriveType::Removable);
  EXPECT_EQ(list[2].letter, 'F');
  EXPECT_EQ(list[2].type, DriveType::CdRom);
  EXPECT_EQ(list[2].label, "MOVIE");
  EXPECT_EQ(list[2].bit(), 5);
}

TEST(DriveList, WithoutTheKeyTheRegistryGivesNothing) {
  lumi::test::PrivateEnvironment env;
  QList<Drive> list;
  EXPECT_FALSE(DrivesFromRegistry(list));
}

TEST(DriveList, MountTableGivesHomeThenMediaMountsThenOpticalDrives) {
  QTemporaryDir sys, byLabel;
  // Disk sdb (removable) with partition sdb1 at 8:17; sda (fixed) at 8:1.
  QDir(sys.path()).mkpath("devices/sdb/sdb1");
  QDir(sys.path()).mkpath("devices/sda/sda1");
  QDir(sys.path()).mkpath("dev/block");
  QDir(sys.path()).mkpath("block/sr0");
  QDir(sys.path()).mkpath("block/sr1");
  auto write = [](const QString& file, const QByteArray& text) {
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
  };
  write(sys.filePath("devices/sdb/removable"), "1\n");
  write(sys.filePath("devices/sda/removable"), "0\n");
  QFile::link(sys.filePath("devices/sdb/sdb1"), sys.filePath("dev/block/8:17"));
  QFile::link(sys.filePath("devices/sda/sda1"), sys.filePath("dev/block/8:1"));
  QFile::link("../../sdb1", byLabel.filePath("MY\\x20STICK"));

  MountSources sources;
  sources.home = "/home/u";
  sources.sysRoot = sys.path();
  sources.byLabel = byLabel.path();
  sources.mountinfo =
      "22 1 8:2 / / rw - ext4 /dev/sda2 rw\n"
      "30 22 0:5 / /proc rw - proc proc rw\n"
      "40 22 8:17 / /media/u/MY\\040STICK rw,nosuid - vfat /dev/sdb1 rw\n"
      "41 22 8:1 / /mnt/data rw - ext4 /dev/sda1 rw\n"
      "42 22 11:0 / /media/u/DVD_VIDEO ro - udf /dev/sr0 ro\n"
      "43 22 0:50 / /mnt/share rw - nfs4 server:/share rw\n"
      "44 22 0:51 / /media/u/box rw - fuse.sshfs u@box: rw\n"
      "45 22 7:3 / /mnt/iso ro - iso9660 /dev/loop3 ro\n"
      "46 22 0:52 / /snap/core/1 ro - squashfs /dev/loop4 ro\n"
      "47 22 0:53 / /media/u/auto rw - autofs systemd-1 rw\n"
      "garbage line\n";
  const QList<Drive> list = DrivesFromMountTable(sources);
  QStringList got;
  for (const Drive& d : list) {
    got << QString("%1 %2 %3 %4").arg(QChar(d.letter)).arg(d.root).arg(DriveTypeWord(d.type)).arg(d.label);
  }
  EXPECT_EQ(got, QStringList({
                     "C /home/u/ fixed ",
                     "D /media/u/MY STICK/ removable MY STICK",
                     "E /media/u/box/ remote box",
                     "F /mnt/data/ fixed data",
                     "G /mnt/share/ remote share",
                     "H /media/u/DVD_VIDEO/ cdrom DVD_VIDEO",
                     "I  cdrom ",  // sr1: a drive without a disc keeps its letter
                     "J /mnt/iso/ cdrom iso",
                 }));
}

TEST(DriveList, AtMostTwentyFourDrives) {
  MountSources sources;
  sources.home = "/home/u";
  sources.sysRoot = "/nonexistent-sys";
  for (int i = 0; i < 40; ++i) {
    sources.mountinfo += QString("%1 1 0:%1 / /mnt/d%2 rw - ext4 /dev/x%1 rw\n").arg(100 + i).arg(i, 2, 10, QChar('0')).toUtf8();
  }
  const QList<Drive> list = DrivesFromMountTable(sources);
  ASSERT_EQ(list.size(), kMaxDrives);
  EXPECT_EQ(list.last().letter, 'Z');
}
