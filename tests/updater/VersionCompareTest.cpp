// Comparing version strings, and the version list file.
#include "common/version/VersionCompare.h"
#include "common/version/VersionList.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace lumi::version {
namespace {

TEST(VersionCompareTest, Table) {
  struct Row {
    const char* installed;
    const char* server;
    bool newer;
  } rows[] = {
      {"1,0,0,3", "1,0,0,12", true},   // numbers, not text
      {"2,0", "1,9,9,9", false},       // 2,0 widens to 2,0,0,0
      {"1,2", "1,0,0,5", true},        // 1,2 widens to 1,0,0,2
      {"1,7", "1,0,0,5", false},
      {"1,0,0,1", "1,0,0,1", false},
      {"1,0,0,2", "1,0,0,1", false},
      {"1,,0,,1", "1,0,1", false},     // empty components are skipped
      {"1,0,0,1", "1,0,0,1x", false},  // leading digits only
      {"", "1,0,0,1", true},           // first use: nothing recorded
      {"", "", false},
      {"x", "0,0,0,1", true},
      {"99999999999", "4294967295", false},  // saturates, never wraps
  };
  for (const Row& row : rows)
    EXPECT_EQ(IsNewerVersion(row.installed, row.server), row.newer) << row.installed << " vs " << row.server;
}

TEST(VersionListTest, NamesWithBlanksSurviveAndUnwritableNamesAreLeftOut) {
  const QList<VersionEntry> entries = {{"Lumicaster Manager.exe", "1,0,0,1"},
                                       {"Freshwell.exe", "1,0,0,2"},
                                       {"bad|name", "1,0,0,0"},
                                       {"line\nbreak", "1,0,0,0"}};
  const QByteArray text = FormatVersionList(entries);
  EXPECT_EQ(text, "Lumicaster Manager.exe | 1,0,0,1 |\nFreshwell.exe | 1,0,0,2 |\n");
  EXPECT_EQ(ParseVersionList(text), entries.mid(0, 2));
  EXPECT_EQ(ParseVersionList("  A   B.exe  |  1, 0 ,0,1 |  C | 2 |"),
            (QList<VersionEntry>{{"A B.exe", "1,0,0,1"}, {"C", "2"}}));
  EXPECT_EQ(ParseVersionList("half | 1,0"), QList<VersionEntry>{});

  QTemporaryDir dir;
  const QString path = dir.path() + "/Version.vif";
  EXPECT_EQ(ReadVersionFile(path), std::nullopt);
  ASSERT_TRUE(WriteVersionFile(path, entries));
  EXPECT_EQ(ReadVersionFile(path), entries.mid(0, 2));
}

}  // namespace
}  // namespace lumi::version
