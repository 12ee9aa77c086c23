// Catalogue scans on real folder trees: what ends up in the catalogue, what
// the walk leaves alone, and how scans stop.
#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "shell/library/DriveCatalogs.h"
#include "shell/library/MediaWalk.h"
#include "tests/library/LibraryFixtures.h"

using namespace lumi::library;
using lumi::test::makeFile;
using lumi::test::processUntil;
using lumi::test::readAll;

namespace {

QList<Drive> oneDrive(const QString& root, char letter = 'C') {
  Drive d;
  d.letter = letter;
  d.root = root + "/";
  return {d};
}

QSet<QString> entriesOf(const CDriveCatalog& c) {
  QSet<QString> out;
  for (int i = 0; i < c.count; ++i) out.insert(QString("%1|%2|%3").arg(c.folders[i], c.titles[i]).arg(c.types[i]));
  return out;
}

const QString kLongFolder(60, QChar(u'가'));

// The tree every hazard case lives in.
void makeHazardTree(const QString& root) {
  const QByteArray r = QFile::encodeName(root);
  makeFile(r + "/r.avi", 10);
  makeFile(r + "/Films/a.b.avi", 1000);
  makeFile(r + "/Many/one.avi");
  makeFile(r + "/Many/two.mpg");
  makeFile(r + "/Many/three.wmv");
  makeFile(r + "/Mixed/.h.avi", 5);
  makeFile(r + "/Mixed/shown.ASF");
  makeFile(r + "/.hidden/secret.avi", 7);
  makeFile(r + "/Temporary Internet Files/cache.avi");
  makeFile(r + "/Bad/\xff\xfe.avi", 300);  // not UTF-8: counted, never listed
  makeFile(r + "/Bad/ok.mpeg");
  makeFile(r + "/Line/a\nb.avi");
  makeFile(r + "/Txt/x.avi.txt");
  makeFile(r + "/Pics/x.jpg");
  makeFile(r + "/Films/Sub/deeper.wmv");
  QDir().mkpath(root + "/Fifo");
  ::mkfifo(QFile::encodeName(root + "/Fifo/f.avi").constData(), 0644);
  QFile::link("..", root + "/Films/loop");
  QFile::link(root + "/Films", root + "/FilmsLink");
  QDir().mkpath(root + "/Dev");
  QFile::link("/dev/zero", root + "/Dev/zero.avi");
  QDir().mkpath(root + "/Link");
  QFile::link(root + "/Films/a.b.avi", root + "/Link/linked.avi");
  QDir().mkpath(root + "/Dangling");
  QFile::link(root + "/nowhere.avi", root + "/Dangling/d.avi");
  // A path longer than its 259-byte field (a syllable is 3 bytes).
  makeFile(QFile::encodeName(root + "/" + kLongFolder + "/" + QString(30, QChar(u'나')) + ".avi"));
  makeFile(QFile::encodeName(root + "/" + kLongFolder + "/short.avi"));
}

}  // namespace

TEST(Scan, HazardTreeEndsWithTheRightEntries) {
  lumi::test::TreeDir data, drive;
  makeHazardTree(drive.path());
  DriveCatalogs set(MediaKind::Movie, oneDrive(drive.path()), data.path() + "/", "Root folder");
  set.setUsedBytesPort([](const QString&) { return qint64(5000); });
  bool completed = false;
  QObject::connect(&set, &DriveCatalogs::scanCompleted, [&](int) { completed = true; });
  ASSERT_TRUE(set.startSearch(0));
  ASSERT_TRUE(processUntil([&] { return completed; }));

  const CDriveCatalog& c = set.catalog(0);
  QSet<QString> got = entriesOf(c);
  // One of the three files of "Many", whichever the file system lists first.
  int many = 0;
  for (const QString& e : QSet<QString>(got)) {
    if (e.startsWith("Many|")) {
      ++many;
      got.remove(e);
    }
  }
  EXPECT_EQ(many, 1);
  EXPECT_EQ(got, QSet<QString>({"Root folder|r|1", "Films|a.b|1", "Sub|deeper|4", "Mixed|shown|3", "Bad|ok|2",
                                "Link|linked|1", kLongFolder + "|short|1"}));
  EXPECT_EQ(c.total, 5000);
  EXPECT_EQ(c.done, 5000);
  EXPECT_FALSE(set.scanning(0));

  // The file holds the same entries in the same order, and the progress file
  // says done = total.
  CDriveCatalog loaded;
  ASSERT_EQ(LoadCatalog(data.path() + "/", MediaKind::Movie, 0, 2, loaded), LoadResult::Loaded);
  EXPECT_EQ(loaded.paths, c.paths);
  EXPECT_EQ(loaded.folders, c.folders);
  EXPECT_EQ(loaded.total, 5000);
  EXPECT_EQ(loaded.done, 5000);
  EXPECT_EQ(readAll(ProgressFile(data.path() + "/", MediaKind::Movie, 0)), EncodeProgress(5000, 5000));
}

TEST(Scan, PhotoScanTakesJpgButNotJpeg) {
  lumi::test::TreeDir data, drive;
  makeFile(drive.filePath("A/x.JPEG"));
  makeFile(drive.filePath("B/y.jpg"));
  DriveCatalogs set(MediaKind::Photo, oneDrive(drive.path()), data.path() + "/", "Root folder");
  bool completed = false;
  QObject::connect(&set, &DriveCatalogs::scanCompleted, [&](int) { completed = true; });
  ASSERT_TRUE(set.startSearch(0));
  ASSERT_TRUE(processUntil([&] { return completed; }));
  EXPECT_EQ(entriesOf(set.catalog(0)), QSet<QString>({"B|y|1"}));
  EXPECT_EQ(QFileInfo(EntriesFile(data.path() + "/", MediaKind::Photo, 0)).size(), 780);
}

TEST(Scan, DisabledTypesAreNotCatalogued) {
  lumi::test::TreeDir data, drive;
  makeFile(drive.filePath("A/x.avi"));
  makeFile(drive.filePath("A/y.wmv"));
  DriveCatalogs set(MediaKind::Movie, oneDrive(drive.path()), data.path() + "/", "Root folder");
  EnabledTypes enabled;
  enabled.set(4, true);
  set.setEnabledTypes(enabled);
  bool completed = false;
  QObject::connect(&set, &DriveCatalogs::scanCompleted, [&](int) { completed = true; });
  ASSERT_TRUE(set.startSearch(0));
  ASSERT_TRUE(processUntil([&] { return completed; }));
  EXPECT_EQ(entriesOf(set.catalog(0)), QSet<QString>({"A|y|4"}));
}

TEST(Scan, SecondDriveWritesTheLetterD) {
  lumi::test::TreeDir data, c, e;
  makeFile(e.filePath("M/m.avi"));
  QList<Drive> drives = oneDrive(c.path(), 'C') + oneDrive(e.path(), 'E');
  DriveCatalogs set(MediaKind::Movie, drives, data.path() + "/", "Root folder");
  bool completed = false;
  QObject::connect(&set, &DriveCatalogs::scanCompleted, [&](int d) { completed = d == 1; });
  ASSERT_TRUE(set.startSearch(1));
  ASSERT_TRUE(processUntil([&] { return completed; }));
  EXPECT_EQ(QDir(data.filePath("Movie")).entryList(QDir::Files), QStringList({"D_Movie.dat", "D_Movie2.dat"}));
  EXPECT_EQ(set.catalog(1).driveBits, QList<int>({'E' - 'A'}));
}

TEST(Scan, SearchAgainStopsTheScanWhichEndsAsStopped) {
  lumi::test::TreeDir data, drive;
  for (int i = 0; i < 3000; ++i) makeFile(drive.filePath(QString("F%1/m.avi").arg(i)));
  DriveCatalogs set(MediaKind::Movie, oneDrive(drive.path()), data.path() + "/", "Root folder");
  bool completed = false, ended = false;
  ScanEnd how = ScanEnd::Completed;
  QObject::connect(&set, &DriveCatalogs::scanCompleted, [&](int) { completed = true; });
  QObject::connect(&set, &DriveCatalogs::scanEnded, [&](int, ScanEnd end) { ended = true; how = end; });
  bool stopped = false;
  QObject::connect(&set, &DriveCatalogs::entryAdded, [&](int) {
    if (!stopped) stopped = set.toggleSearch(0) == DriveCatalogs::SearchResult::Stopped;
  });
  ASSERT_EQ(set.toggleSearch(0), DriveCatalogs::SearchResult::Started);
  ASSERT_TRUE(processUntil([&] { return ended; }));
  EXPECT_TRUE(stopped);
  EXPECT_FALSE(completed);
  EXPECT_EQ(how, ScanEnd::Stopped);
  // Every record written so far is whole and loads again.
  const qint64 size = QFileInfo(EntriesFile(data.path() + "/", MediaKind::Movie, 0)).size();
  EXPECT_EQ(size % 788, 0);
  EXPECT_LT(size, 3000 * 788);
}

TEST(Scan, ClosingTheBrowserEndsTheScanAndNothingIsWrittenAfter) {
  lumi::test::TreeDir data, drive;
  for (int i = 0; i < 3000; ++i) makeFile(drive.filePath(QString("F%1/m.avi").arg(i)));
  const QString entries = EntriesFile(data.path() + "/", MediaKind::Movie, 0);
  const QString progress = ProgressFile(data.path() + "/", MediaKind::Movie, 0);
  {
    DriveCatalogs set(MediaKind::Movie, oneDrive(drive.path()), data.path() + "/", "Root folder");
    bool found = false;
    QObject::connect(&set, &DriveCatalogs::entryAdded, [&](int) { found = true; });
    ASSERT_TRUE(set.startSearch(0));
    ASSERT_TRUE(processUntil([&] { return found; }));
  }  // the browser goes away mid-scan
  const QByteArray entriesThen = readAll(entries), progressThen = readAll(progress);
  EXPECT_FALSE(CSearchThread::busy(MediaKind::Movie, 0, data.path() + "/"));
  processUntil([] { return false; }, 300);
  EXPECT_EQ(readAll(entries), entriesThen);
  EXPECT_EQ(readAll(progress), progressThen);
  EXPECT_LT(entriesThen.size(), 3000 * 788);
}

TEST(Scan, RemovingAnEntryRewritesTheFileWithTheOthersUnchanged) {
  lumi::test::TreeDir data, drive;
  makeFile(drive.filePath("A/a.avi"));
  makeFile(drive.filePath("B/b.wmv"));
  makeFile(drive.filePath("C/c.asf"));
  DriveCatalogs set(MediaKind::Movie, oneDrive(drive.path()), data.path() + "/", "Root folder");
  bool completed = false;
  QObject::connect(&set, &DriveCatalogs::scanCompleted, [&](int) { completed = true; });
  ASSERT_TRUE(set.startSearch(0));
  ASSERT_TRUE(processUntil([&] { return completed; }));
  const QByteArray before = readAll(EntriesFile(data.path() + "/", MediaKind::Movie, 0));
  ASSERT_EQ(before.size(), 3 * 788);
  ASSERT_TRUE(set.removeEntry(0, 1));
  EXPECT_EQ(readAll(EntriesFile(data.path() + "/", MediaKind::Movie, 0)), before.left(788) + before.mid(2 * 788));
}

TEST(Scan, ClearingADriveDeletesItsFilesAndReloadsTheOthers) {
  lumi::test::TreeDir data, c, e;
  makeFile(c.filePath("A/a.avi"));
  makeFile(e.filePath("B/b.avi"));
  DriveCatalogs set(MediaKind::Movie, oneDrive(c.path(), 'C') + oneDrive(e.path(), 'E'), data.path() + "/", "R");
  int completed = 0;
  QObject::connect(&set, &DriveCatalogs::scanCompleted, [&](int) { ++completed; });
  ASSERT_TRUE(set.startSearch(0));
  ASSERT_TRUE(set.startSearch(1));
  ASSERT_TRUE(processUntil([&] { return completed == 2; }));
  set.clearDrive(0);
  EXPECT_EQ(set.catalog(0).count, 0);
  EXPECT_EQ(set.catalog(1).count, 1);
  EXPECT_FALSE(QFile::exists(EntriesFile(data.path() + "/", MediaKind::Movie, 0)));
  EXPECT_FALSE(QFile::exists(ProgressFile(data.path() + "/", MediaKind::Movie, 0)));
}

TEST(Scan, TwoWorkersNeverWriteOneCatalogue) {
  lumi::test::TreeDir data, drive;
  for (int i = 0; i < 3000; ++i) makeFile(drive.filePath(QString("F%1/m.avi").arg(i)));
  DriveCatalogs first(MediaKind::Movie, oneDrive(drive.path()), data.path() + "/", "R");
  DriveCatalogs second(MediaKind::Movie, oneDrive(drive.path()), data.path() + "/", "R");
  bool ended = false;
  QObject::connect(&first, &DriveCatalogs::scanEnded, [&](int, ScanEnd) { ended = true; });
  ASSERT_TRUE(first.startSearch(0));
  EXPECT_FALSE(second.startSearch(0)) << "another browser's scan of the same catalogue runs";
  ASSERT_TRUE(processUntil([&] { return ended; }));
  EXPECT_TRUE(second.startSearch(0)) << "free again once the first has ended";
  second.waitForScans(20000);
}

TEST(MediaWalkTest, CountsTheSizeOfEveryRegularFileOutsideDotFolders) {
  lumi::test::TreeDir drive;
  makeHazardTree(drive.path());
  qint64 sum = 0;
  int files = 0;
  MediaWalk walk(QFile::encodeName(drive.path()), [] { return true; }, [&](const WalkFile& f) {
    sum += f.size;
    ++files;
    return false;
  });
  EXPECT_EQ(walk.run(), WalkEnd::Completed);
  // r 10 + a.b 1000 + .h 5 + the non-UTF-8 300 + the link to a.b 1000; the
  // FIFO, /dev/zero, the dangling link and .hidden are not visited.
  EXPECT_EQ(sum, 10 + 1000 + 5 + 300 + 1000);
  EXPECT_EQ(files, 17);
}

TEST(MediaWalkTest, MediaGoneMidScanEndsAsVanishedNotCompleted) {
  lumi::test::TreeDir holder;
  const QString root = holder.filePath("disc");
  for (int i = 0; i < 50; ++i) makeFile(root + QString("/F%1/m.avi").arg(i));
  bool pulled = false;
  MediaWalk walk(QFile::encodeName(root), [] { return true; }, [&](const WalkFile&) {
    if (!pulled) pulled = QDir(root).removeRecursively();
    return false;
  });
  EXPECT_EQ(walk.run(), WalkEnd::Vanished);
  EXPECT_TRUE(pulled);
}
