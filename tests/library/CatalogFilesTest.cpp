// Catalogue and progress files byte for byte, against buffers built here by
// offset, and a catalogue written by a Korean Windows.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <csignal>
#include <cstring>

#include <sys/resource.h>

#include <gtest/gtest.h>

#include "shell/library/CDriveCatalog.h"
#include "tests/library/LibraryFixtures.h"

using namespace lumi::library;
using lumi::test::readAll;

namespace {

void put(QByteArray& buf, int offset, const QByteArray& text) { std::memcpy(buf.data() + offset, text.constData(), size_t(text.size())); }
void putInt(QByteArray& buf, int offset, qint32 v) { qToLittleEndian(v, buf.data() + offset); }
void putDouble(QByteArray& buf, int offset, double v) { qToLittleEndian(v, buf.data() + offset); }

QString dataPath(const char* name) { return QString(LUMI_LIBRARY_TEST_DATA) + "/" + name; }

}  // namespace

TEST(CatalogFiles, MovieAndMusicRecordsAre788Bytes) {
  CatalogEntry e{2.5, "a.b", "/m/Films/a.b.avi", "Films", 1};
  for (MediaKind kind : {MediaKind::Movie, MediaKind::Music}) {
    QByteArray want(788, '\0');
    putDouble(want, 0, 2.5);
    put(want, 8, "a.b");
    put(want, 264, "/m/Films/a.b.avi");
    put(want, 524, "Films");
    putInt(want, 784, 1);
    EXPECT_EQ(EncodeRecord(kind, e), want);
  }
}

TEST(CatalogFiles, PhotoRecordsAre780BytesWithoutDate) {
  CatalogEntry e{9.0, "pic", "/p/pic.jpg", "p", 3};
  QByteArray want(780, '\0');
  put(want, 0, "pic");
  put(want, 256, "/p/pic.jpg");
  put(want, 516, "p");
  putInt(want, 776, 3);
  EXPECT_EQ(EncodeRecord(MediaKind::Photo, e), want);
  EXPECT_EQ(DecodeRecord(MediaKind::Photo, want.constData()).date, 0.0);
}

TEST(CatalogFiles, LongTextsAreCutOnACharacterBoundaryWithTheirTerminator) {
  CatalogEntry e;
  e.title = QString(200, QChar(u'가'));  // 600 bytes of UTF-8
  const QByteArray record = EncodeRecord(MediaKind::Movie, e);
  // 85 syllables (255 bytes) fit before the terminator.
  EXPECT_EQ(QByteArray(record.constData() + 8), QString(85, QChar(u'가')).toUtf8());
  EXPECT_EQ(record[8 + 255], '\0');
}

TEST(CatalogFiles, ProgressFileIsTwoLittleEndianInt64) {
  QByteArray want(16, '\0');
  qToLittleEndian<qint64>(5000000000LL, want.data());
  qToLittleEndian<qint64>(123, want.data() + 8);
  EXPECT_EQ(EncodeProgress(5000000000LL, 123), want);
}

TEST(CatalogFiles, NamesUseTheLetterCPlusTheDriveIndex) {
  EXPECT_EQ(EntriesFile("/d/", MediaKind::Movie, 0), "/d/Movie/C_Movie.dat");
  EXPECT_EQ(ProgressFile("/d/", MediaKind::Movie, 1), "/d/Movie/D_Movie2.dat");
  EXPECT_EQ(EntriesFile("/d/", MediaKind::Music, 2), "/d/Music/E_Music.dat");
  EXPECT_EQ(ProgressFile("/d/", MediaKind::Photo, 0), "/d/Image/C_Image2.dat");
}

TEST(CatalogFiles, TypeCodesPerKind) {
  struct Case { MediaKind kind; const char* ext; quint32 code; };
  const Case cases[] = {
      {MediaKind::Movie, "avi", 1}, {MediaKind::Movie, "MPG", 2}, {MediaKind::Movie, "mpeg", 2},
      {MediaKind::Movie, "Asf", 3}, {MediaKind::Movie, "WMV", 4}, {MediaKind::Movie, "mp4", 0},
      {MediaKind::Music, "mp3", 1}, {MediaKind::Music, "WAV", 2}, {MediaKind::Music, "wma", 3},
      {MediaKind::Photo, "jpg", 1}, {MediaKind::Photo, "JPEG", 0}, {MediaKind::Photo, "bmp", 2},
      {MediaKind::Photo, "gif", 3}, {MediaKind::Music, "avi", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(TypeCodeOf(c.kind, QString(c.ext)), c.code) << c.ext;
}

TEST(CatalogFiles, KoreanWindowsCatalogueLoadsAndRewritesWithOwnDatesAndTypes) {
  QTemporaryDir data;
  QDir(data.path()).mkpath("Movie");
  QFile::copy(dataPath("C_Movie.dat"), data.filePath("Movie/C_Movie.dat"));
  QFile::copy(dataPath("C_Movie2.dat"), data.filePath("Movie/C_Movie2.dat"));
  const QString dir = data.path() + "/";

  CDriveCatalog catalog;
  ASSERT_EQ(LoadCatalog(dir, MediaKind::Movie, 0, 2, catalog), LoadResult::Loaded);
  ASSERT_EQ(catalog.count, 2);
  EXPECT_EQ(catalog.titles, QStringList({"첫째 영화", "둘째"}));
  EXPECT_EQ(catalog.paths[0], "C:\\영화\\첫째 영화.avi");
  EXPECT_EQ(catalog.folders, QStringList({"영화", "드라마"}));
  EXPECT_EQ(catalog.dates, QList<double>({1.5, 2.25}));
  EXPECT_EQ(catalog.types, QList<quint32>({1, 4}));
  EXPECT_EQ(catalog.total, 1000);
  EXPECT_EQ(catalog.done, 400);
  EXPECT_EQ(catalog.percent(), 40);

  ASSERT_TRUE(catalog.removeAt(0));
  ASSERT_TRUE(RewriteEntries(dir, MediaKind::Movie, 0, catalog));
  QByteArray want(788, '\0');
  putDouble(want, 0, 2.25);
  put(want, 8, QString("둘째").toUtf8());
  put(want, 264, QString("C:\\드라마\\둘째.wmv").toUtf8());
  put(want, 524, QString("드라마").toUtf8());
  putInt(want, 784, 4);
  EXPECT_EQ(readAll(data.filePath("Movie/C_Movie.dat")), want);
  EXPECT_EQ(readAll(data.filePath("Movie/C_Movie2.dat")), readAll(dataPath("C_Movie2.dat")));
}

TEST(CatalogFiles, PartialRecordsAreDroppedAndAnUnreadableDriveDoesNotStopTheOthers) {
  QTemporaryDir data;
  const QString dir = data.path() + "/";
  QDir(data.path()).mkpath("Movie");
  QByteArray bytes = EncodeRecord(MediaKind::Movie, CatalogEntry{0, "t", "/p/t.avi", "p", 1});
  bytes += QByteArray(100, 'x');
  QFile f(EntriesFile(dir, MediaKind::Movie, 1));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
  f.close();
  // Drive 0 has an entries file but no progress file.
  QFile e0(EntriesFile(dir, MediaKind::Movie, 0));
  ASSERT_TRUE(e0.open(QIODevice::WriteOnly));
  e0.write(EncodeRecord(MediaKind::Movie, CatalogEntry{}));
  e0.close();

  CDriveCatalog c0, c1, c2;
  EXPECT_EQ(LoadCatalog(dir, MediaKind::Movie, 0, 2, c0), LoadResult::Unreadable);
  EXPECT_EQ(c0.count, 0);
  EXPECT_EQ(LoadCatalog(dir, MediaKind::Movie, 1, 3, c1), LoadResult::Unreadable);
  EXPECT_EQ(LoadCatalog(dir, MediaKind::Movie, 2, 4, c2), LoadResult::Missing);

  QFile p1(ProgressFile(dir, MediaKind::Movie, 1));
  ASSERT_TRUE(p1.open(QIODevice::WriteOnly));
  p1.write(EncodeProgress(10, 20));
  p1.close();
  EXPECT_EQ(LoadCatalog(dir, MediaKind::Movie, 1, 3, c1), LoadResult::Loaded);
  EXPECT_EQ(c1.count, 1);
  EXPECT_EQ(c1.driveBits, QList<int>({3}));
  EXPECT_EQ(c1.percent(), 100);  // done above total is shown as 100 %, not 200 %
}

TEST(CatalogFiles, FailedRewriteKeepsTheOldFile) {
  QTemporaryDir data;
  const QString dir = data.path() + "/";
  CDriveCatalog catalog;
  catalog.append(CatalogEntry{0, "a", "/a.avi", "r", 1}, 2);
  ASSERT_TRUE(RewriteEntries(dir, MediaKind::Movie, 0, catalog));
  const QByteArray before = readAll(EntriesFile(dir, MediaKind::Movie, 0));
  for (int i = 0; i < 5; ++i) catalog.append(CatalogEntry{0, "b", "/b.avi", "r", 1}, 2);
  // A disk that fills up half way through the new file (a file size limit
  // binds root too).
  struct rlimit old;
  ::getrlimit(RLIMIT_FSIZE, &old);
  struct rlimit small = old;
  small.rlim_cur = 2000;
  const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
  ::setrlimit(RLIMIT_FSIZE, &small);
  const bool written = RewriteEntries(dir, MediaKind::Movie, 0, catalog);
  ::setrlimit(RLIMIT_FSIZE, &old);
  ::signal(SIGXFSZ, oldHandler);
  EXPECT_FALSE(written);
  EXPECT_EQ(readAll(EntriesFile(dir, MediaKind::Movie, 0)), before);
  EXPECT_EQ(QDir(dir + "Movie").entryList(QDir::Files), QStringList({"C_Movie.dat"})) << "no temporary file left";
}
