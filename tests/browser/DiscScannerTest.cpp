// Which CD-ROM drives hold a DVD or a Video CD.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "shell/launch/DiscScanner.h"

using namespace lumi;
using library::Drive;
using library::DriveType;

namespace {

Drive drive(char letter, const QString& root, DriveType type, const QString& label = {}) {
  Drive d;
  d.letter = letter;
  d.root = root + "/";
  d.type = type;
  d.label = label;
  return d;
}

void touch(const QString& path) {
  QDir().mkpath(QFileInfo(path).path());
  QFile f(path);
  f.open(QIODevice::WriteOnly);
}

}  // namespace

TEST(DiscScanner, DvdBeforeVideoCdAnyCaseOnlyOnCdRomDrives) {
  QTemporaryDir dir;
  const QString dvd = dir.filePath("dvd"), lower = dir.filePath("lower"), vcd = dir.filePath("vcd"),
                both = dir.filePath("both"), fixed = dir.filePath("fixed"), fifo = dir.filePath("fifo"),
                empty = dir.filePath("empty");
  touch(dvd + "/VIDEO_TS/VIDEO_TS.IFO");
  touch(lower + "/video_ts/video_ts.ifo");
  QDir().mkpath(vcd + "/MPEGAV");
  touch(both + "/VIDEO_TS/VIDEO_TS.IFO");
  QDir().mkpath(both + "/MPEGAV");
  touch(fixed + "/VIDEO_TS/VIDEO_TS.IFO");
  QDir().mkpath(fifo + "/VIDEO_TS");
  ::mkfifo(QFile::encodeName(fifo + "/VIDEO_TS/VIDEO_TS.IFO").constData(), 0644);
  QDir().mkpath(empty);

  const QList<Drive> drives = {drive('C', fixed, DriveType::Fixed), drive('D', dvd, DriveType::CdRom, "MOVIE"),
                               drive('E', vcd, DriveType::CdRom), drive('F', both, DriveType::CdRom),
                               drive('G', lower, DriveType::CdRom), drive('H', fifo, DriveType::CdRom),
                               drive('I', empty, DriveType::CdRom), Drive{'J', {}, DriveType::CdRom, {}, {}}};
  shell::DiscScanner discs(drives);
  EXPECT_EQ(discs.dvdRoots, QStringList({dvd + "/", both + "/", lower + "/"}));
  EXPECT_EQ(discs.dvdLabels, QStringList({"MOVIE", "", ""}));
  EXPECT_EQ(discs.vcdRoots, QStringList({vcd + "/"}));
  EXPECT_EQ(discs.types, QStringList({"DVD", "VCD", "DVD", "DVD"}));
  EXPECT_EQ(discs.roots.size(), 4);
}
