// "Recent.dat" byte for byte, the list's rules, and a file from a Korean
// Windows.
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <cstring>

#include <gtest/gtest.h>

#include "shell/library/RecentList.h"
#include "tests/library/LibraryFixtures.h"

using namespace lumi::library;
using lumi::test::readAll;

namespace {
const QDateTime kPlayTime(QDate(2004, 7, 9), QTime(21, 7, 5));
}

TEST(Recent, FileLayoutByOffsets) {
  QTemporaryDir dir;
  RecentList list(dir.filePath("Recent.dat"));
  ASSERT_TRUE(list.AddRecent("Film.avi", "영화", "/m/Film.avi", kPlayTime));
  ASSERT_TRUE(list.AddRecent("MOVIE", "DVD", "/media/dvd/", kPlayTime.addSecs(60)));

  QByteArray want(4 + 2 * 1280, '\0');
  qToLittleEndian<qint32>(2, want.data());
  auto put = [&](int offset, const QByteArray& text) { std::memcpy(want.data() + offset, text.constData(), size_t(text.size())); };
  put(4, "21:08:05, 2004-7-9");
  put(260, "/media/dvd/");
  put(772, "MOVIE");
  put(1028, "DVD");
  put(4 + 1280, "21:07:05, 2004-7-9");
  put(260 + 1280, "/m/Film.avi");
  put(772 + 1280, "Film.avi");
  put(1028 + 1280, QString("영화").toUtf8());
  EXPECT_EQ(readAll(dir.filePath("Recent.dat")), want);
}

TEST(Recent, SamePathTwiceLeavesOneEntryFirstWithTheNewTime) {
  QTemporaryDir dir;
  RecentList list(dir.filePath("Recent.dat"));
  list.AddRecent("a", "k", "/a", kPlayTime);
  list.AddRecent("b", "k", "/b", kPlayTime);
  list.AddRecent("a", "k", "/a", kPlayTime.addSecs(3600));
  RecentList again(dir.filePath("Recent.dat"));
  again.LoadRecent();
  ASSERT_EQ(again.count(), 2);
  EXPECT_EQ(again.entry(0).path, "/a");
  EXPECT_EQ(again.entry(0).time, "22:07:05, 2004-7-9");
  EXPECT_EQ(again.entry(1).path, "/b");
}

TEST(Recent, CaseMattersAndTheThirtyFirstPlayDropsTheOldest) {
  QTemporaryDir dir;
  RecentList list(dir.filePath("Recent.dat"));
  list.AddRecent("A", "k", "/C/A.avi", kPlayTime);
  list.AddRecent("a", "k", "/C/a.avi", kPlayTime);
  EXPECT_EQ(list.count(), 2);
  for (int i = 0; i < 29; ++i) list.AddRecent("x", "k", QString("/x%1").arg(i), kPlayTime);
  EXPECT_EQ(list.count(), 30);
  EXPECT_EQ(list.entry(29).path, "/C/a.avi");
  EXPECT_EQ(readAll(dir.filePath("Recent.dat")).size(), 4 + 30 * 1280);
}

TEST(Recent, DisplayTimeIsTheTimeOfDayForTodayOnly) {
  QTemporaryDir dir;
  RecentList list(dir.filePath("Recent.dat"));
  list.AddRecent("a", "k", "/a", kPlayTime);
  EXPECT_EQ(list.displayTime(0, QDate(2004, 7, 9)), "21:07:05");
  EXPECT_EQ(list.displayTime(0, QDate(2004, 7, 10)), "21:07:05, 2004-7-9");
}

TEST(Recent, KoreanWindowsFileLoads) {
  RecentList list(QString(LUMI_LIBRARY_TEST_DATA) + "/Recent.dat");
  list.LoadRecent();
  ASSERT_EQ(list.count(), 2);
  EXPECT_EQ(list.entry(0).time, "21:07:05, 2004-7-9");
  EXPECT_EQ(list.entry(0).path, "C:\\영화\\영화.avi");
  EXPECT_EQ(list.entry(0).title, "영화.avi");
  EXPECT_EQ(list.entry(0).kind, "영화");
  EXPECT_EQ(list.entry(1).path, "E:\\");
  EXPECT_EQ(list.entry(1).title, "");
  EXPECT_EQ(list.entry(1).kind, "DVD");
}

TEST(Recent, BadCountsAndShortFilesGiveTheWholeRecordsThatAreThere) {
  QTemporaryDir dir;
  const QString file = dir.filePath("Recent.dat");
  QList<RecentEntry> three(3, RecentEntry{"t", "/p", "n", "k"});
  for (int i = 0; i < 3; ++i) three[i].path = QString("/p%1").arg(i);
  struct Case { qint32 count; int bytes; int loaded; };
  const Case cases[] = {{3, 4 + 3 * 1280, 3}, {99, 4 + 3 * 1280, 3}, {-5, 4 + 3 * 1280, 0},
                        {3, 4 + 2 * 1280 + 100, 2}, {3, 2, 0}};
  for (const Case& c : cases) {
    QByteArray bytes = RecentList::Encode(three);
    qToLittleEndian<qint32>(c.count, bytes.data());
    bytes.truncate(c.bytes);
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
    f.close();
    RecentList list(file);
    list.LoadRecent();
    EXPECT_EQ(list.count(), c.loaded) << c.count << " " << c.bytes;
  }
}

TEST(Recent, APathTooLongForItsFieldIsNotRecorded) {
  QTemporaryDir dir;
  RecentList list(dir.filePath("Recent.dat"));
  list.AddRecent("a", "k", "/a", kPlayTime);
  EXPECT_FALSE(list.AddRecent("b", "k", "/" + QString(600, 'b'), kPlayTime));
  RecentList again(dir.filePath("Recent.dat"));
  again.LoadRecent();
  EXPECT_EQ(again.count(), 1);
}

TEST(Recent, ClearDeletesTheFile) {
  QTemporaryDir dir;
  RecentList list(dir.filePath("Recent.dat"));
  list.AddRecent("a", "k", "/a", kPlayTime);
  EXPECT_TRUE(list.ClearRecent());
  EXPECT_EQ(list.count(), 0);
  EXPECT_FALSE(QFile::exists(dir.filePath("Recent.dat")));
}
