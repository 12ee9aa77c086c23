// Opening a movie folder, sorting, the readable check and the series with
// its playlist.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <sys/time.h>

#include <gtest/gtest.h>

#include "shell/library/MovieFolder.h"
#include "tests/library/LibraryFixtures.h"

using namespace lumi::library;
using lumi::test::makeFile;
using lumi::test::readAll;

namespace {

QStringList names(const QStringList& paths) {
  QStringList out;
  for (const QString& p : paths) out << QFileInfo(p).fileName();
  return out;
}

void setMtime(const QString& path, long seconds) {
  struct timeval times[2] = {{seconds, 0}, {seconds, 0}};
  ::utimes(QFile::encodeName(path).constData(), times);
}

}  // namespace

TEST(MovieFolder, ListsNamesContainingAnEnabledMarkAndOnlyRegularFiles) {
  lumi::test::TreeDir dir;
  for (const char* n : {"a.avi", "b.MPEG", "c.wmv", "x.avi.txt", "d.mp4", "e.asf"}) makeFile(dir.filePath(n));
  QDir(dir.path()).mkpath("sub.avi");
  ::mkfifo(QFile::encodeName(dir.filePath("fifo.avi")).constData(), 0644);
  makeFile(QFile::encodeName(dir.path()) + "/\xff.avi");
  EnabledTypes enabled = EnabledTypes::all();
  enabled.set(3, false);  // ASF off
  QStringList got = names(ListMediaFiles(dir.path(), MovieMarks(enabled)));
  got.sort();
  EXPECT_EQ(got, QStringList({"a.avi", "b.MPEG", "c.wmv", "x.avi.txt"}));
}

TEST(MovieFolder, SortsByNameDateAndSizeStablyInBothDirections) {
  lumi::test::TreeDir dir;
  const QString a = dir.filePath("b.avi"), b = dir.filePath("A.avi"), c = dir.filePath("c.avi");
  makeFile(a, 300);
  makeFile(b, 100);
  makeFile(c, 200);
  setMtime(a, 1000);
  setMtime(b, 3000);
  setMtime(c, 2000);
  struct Case { int type, direction; QStringList want; };
  const Case cases[] = {
      {SortName, Ascending, {"A.avi", "b.avi", "c.avi"}}, {SortName, Descending, {"c.avi", "b.avi", "A.avi"}},
      {SortDate, Ascending, {"b.avi", "c.avi", "A.avi"}}, {SortSize, Ascending, {"A.avi", "c.avi", "b.avi"}},
      {SortSize, Descending, {"b.avi", "c.avi", "A.avi"}}, {SortNone, Descending, {"b.avi", "A.avi", "c.avi"}},
  };
  for (const Case& k : cases) {
    QStringList files{a, b, c};
    SortFiles(files, k.type, k.direction);
    EXPECT_EQ(names(files), k.want) << k.type << k.direction;
  }
}

TEST(MovieFolder, FolderSortBySizeKeepsTheOrder) {
  CDriveCatalog catalog;
  catalog.append({0, "x", "/nowhere/Zeta/x.avi", "Zeta", 1}, 2);
  catalog.append({0, "y", "/nowhere/alpha/y.avi", "alpha", 1}, 2);
  EXPECT_EQ(FolderOrder(catalog, SortSize, Descending), QList<int>({0, 1}));
  EXPECT_EQ(FolderOrder(catalog, SortName, Ascending), QList<int>({1, 0}));
}

TEST(MovieFolder, ReadableCheckRefusesWhatIsNotARegularFile) {
  lumi::test::TreeDir dir;
  makeFile(dir.filePath("ok.avi"));
  ::mkfifo(QFile::encodeName(dir.filePath("fifo.avi")).constData(), 0644);
  QFile::link("/dev/zero", dir.filePath("zero.avi"));
  EXPECT_EQ(CheckReadable(dir.filePath("ok.avi")), FileCheck::Readable);
  EXPECT_EQ(CheckReadable(dir.filePath("gone.avi")), FileCheck::Missing);
  EXPECT_EQ(CheckReadable(dir.filePath("fifo.avi")), FileCheck::Unreadable);
  EXPECT_EQ(CheckReadable(dir.filePath("zero.avi")), FileCheck::Unreadable);
}

TEST(MovieFolder, SeriesRule) {
  struct Case { QStringList files; int chosen; QStringList want; };
  const Case cases[] = {
      {{"/m/Film CD1.avi", "/m/Other.avi", "/m/Film CD3.avi", "/m/Film CD2.avi"}, 0,
       {"/m/Film CD1.avi", "/m/Film CD2.avi", "/m/Film CD3.avi"}},
      {{"/m/Ep01.avi", "/m/Ep02.avi", "/m/Ep10.avi", "/m/Ep1.avi"}, 0, {"/m/Ep01.avi", "/m/Ep02.avi"}},
      {{"/m/a1.avi", "/m/a2.avi", "/m/a3.avi"}, 2, {"/m/a3.avi"}},
      {{"/m/a1.avi", "/m/a2.avi", "/m/a3.avi"}, 1, {"/m/a2.avi", "/m/a3.avi"}},
      {{"/m/영1.avi", "/m/영2.avi"}, 0, {"/m/영1.avi", "/m/영2.avi"}},
  };
  for (const Case& c : cases) EXPECT_EQ(BuildSeries(c.files, c.chosen), c.want) << c.files.join(",").toStdString();
}

TEST(MovieFolder, PlaylistIsOnePathPerLineWithCrLf) {
  lumi::test::TreeDir dir;
  const QString file = dir.filePath("MoviePlaylist.txt");
  ASSERT_TRUE(WritePlaylist(file, {"/m/Ep01.avi", "/m/영화 02.avi"}));
  EXPECT_EQ(readAll(file), QByteArray("/m/Ep01.avi\r\n/m/\xec\x98\x81\xed\x99\x94 02.avi\r\n"));
  EXPECT_FALSE(WritePlaylist(dir.filePath("missing/MoviePlaylist.txt"), {"/a"}));
}
