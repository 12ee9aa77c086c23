// Extraction of hostile archives: only regular files whose names stay in the
// folder come out, with exactly their bytes; bombs are refused whole.
#include "ZipFixture.h"
#include "common/transfer/SafeUnzip.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace lumi::transfer {
namespace {

using test::WriteZip;
using test::ZipEntry;

QByteArray readAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QStringList everythingBelow(const QString& root) {
  QStringList names;
  QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) names << QDir(root).relativeFilePath(it.next());
  names.sort();
  return names;
}

class SafeUnzipTest : public ::testing::Test {
 protected:
  QTemporaryDir top;
  QString archive() const { return top.path() + "/a.zip"; }
  QString into() const { return top.path() + "/Update"; }
};

TEST_F(SafeUnzipTest, OnlyConfinedRegularFilesAreExtracted) {
  ASSERT_TRUE(WriteZip(archive(), {
                                      {"Lumicaster.exe", "shell bytes", 0100755},
                                      {"../escape", "x"},
                                      {"/abs", "x"},
                                      {"C:\\win", "x"},
                                      {"a\\..\\..\\x", "x"},
                                      {"sub/", "", 040755},
                                      {"sub/inner.txt", "inner"},
                                      {"link", "/etc/passwd", 0120777},
                                      {"fifo", "", 010644},
                                      {"Resources.dll", "from windows", 0},
                                  }));
  DownloadFolder folder(into());
  const UnzipResult result = SafeUnzip(archive(), folder);
  ASSERT_TRUE(result.opened) << result.error.toStdString();
  EXPECT_EQ(result.skipped, (QStringList{"../escape", "/abs", "C:\\win", "a\\..\\..\\x", "link", "fifo"}));
  EXPECT_EQ(everythingBelow(into()), (QStringList{"Lumicaster.exe", "Resources.dll", "sub", "sub/inner.txt"}));
  EXPECT_EQ(readAll(into() + "/Lumicaster.exe"), "shell bytes");
  EXPECT_TRUE(QFileInfo(into() + "/Lumicaster.exe").isExecutable());
  EXPECT_EQ(readAll(into() + "/Resources.dll"), "from windows");
  EXPECT_EQ(everythingBelow(top.path()).filter("escape"), QStringList{});
}

TEST_F(SafeUnzipTest, ArchivesBeyondTheCapsOrWithTwoEntriesOfOneNameAreRefusedWhole) {
  // Two entries of one name, as libzip will not write them: which one is
  // meant cannot be told.
  ASSERT_TRUE(WriteZip(archive(), {{"Resources.dll", "first"}, {"Resources.dl_", "second"}}));
  QFile file(archive());
  ASSERT_TRUE(file.open(QIODevice::ReadWrite));
  const QByteArray patched = file.readAll().replace("Resources.dl_", "Resources.dll");
  file.seek(0);
  file.write(patched);
  file.close();
  {
    DownloadFolder folder(into());
    EXPECT_FALSE(SafeUnzip(archive(), folder).opened);
  }

  std::vector<ZipEntry> many;
  for (int i = 0; i < 12; ++i) many.push_back({QByteArray("f") + QByteArray::number(i), "x"});
  ASSERT_TRUE(WriteZip(archive(), many));
  DownloadFolder folder(into());
  UnzipResult result = SafeUnzip(archive(), folder, UnzipLimits{10, 1000});
  EXPECT_FALSE(result.opened);
  EXPECT_EQ(everythingBelow(into()), QStringList{});

  // Compresses to almost nothing; announces more than the cap.
  ASSERT_TRUE(WriteZip(archive(), {{"bomb", QByteArray(4096, '\0')}}));
  result = SafeUnzip(archive(), folder, UnzipLimits{10, 4000});
  EXPECT_FALSE(result.opened);
  EXPECT_EQ(everythingBelow(into()), QStringList{});
}

TEST_F(SafeUnzipTest, DamagedEntriesAreDiscardedAndGarbageIsRefused) {
  const QByteArray payload(2000, 'q');
  ASSERT_TRUE(WriteZip(archive(), {{"good", "fine"}, {"bad", payload}}));
  QFile file(archive());
  ASSERT_TRUE(file.open(QIODevice::ReadWrite));
  QByteArray bytes = file.readAll();
  // The stored data of "bad" follows its local header; damage its deflated
  // stream so the CRC (or inflate) fails.
  const qsizetype at = bytes.indexOf("bad", 40) + 3 + 4;
  ASSERT_GT(at, 40);
  for (int i = 0; i < 6; ++i) bytes[at + i] = char(bytes[at + i] ^ 0x55);
  file.seek(0);
  file.write(bytes);
  file.close();
  DownloadFolder folder(into());
  const UnzipResult result = SafeUnzip(archive(), folder);
  ASSERT_TRUE(result.opened);
  EXPECT_EQ(result.extracted, QStringList{"good"});
  EXPECT_EQ(result.skipped, QStringList{"bad"});
  EXPECT_EQ(everythingBelow(into()), QStringList{"good"});

  QFile garbage(archive());
  ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
  garbage.write("PK\3\4 this is no archive");
  garbage.close();
  EXPECT_FALSE(SafeUnzip(archive(), folder).opened);
}

}  // namespace
}  // namespace lumi::transfer
