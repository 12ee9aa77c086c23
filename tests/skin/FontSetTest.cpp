// The suite's font names render with installed faces that have Hangul, and
// the font set makes the fonts of its table once each.
#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFontMetrics>

#include "common/skin/FontSet.h"
#include "tests/skin/SkinTestUtil.h"
#include "tests/support/QtPrinters.h"

using namespace lumi::skin;

namespace {

TEST(FontSet, SuiteFacesBecomeInstalledFacesWithHangul) {
  InstallFontSubstitutions();
  struct Case {
    const char* face;
    const char* installed;
  } cases[] = {
      {"굴림", "NanumGothic"},
      {"HY울릉도M", "NanumSquareRound"},
      {"HY견고딕", "NanumSquare"},
      {"Arial", "DejaVu Sans"},
  };
  for (const Case& c : cases) {
    // Through Qt's substitution alone, as any QFont("굴림") in the programs.
    QFont plain{QString::fromUtf8(c.face)};
    plain.setPixelSize(30);
    EXPECT_EQ(QFontInfo(plain).family(), c.installed) << c.face;

    const QFont suite = SuiteFont(QString::fromUtf8(c.face), 30, 700);
    EXPECT_EQ(QFontInfo(suite).family(), c.installed) << c.face;
    EXPECT_TRUE(QFontMetrics(suite).inFontUcs4(U'컴')) << c.face << " shows Hangul";
    EXPECT_GT(QFontMetrics(suite).horizontalAdvance("내 컴퓨터"), 60) << c.face;
  }
  // A face the user picked that has no Hangul still shows Korean captions.
  EXPECT_TRUE(QFontMetrics(SuiteFont("DejaVu Serif", 30, 400)).inFontUcs4(U'음'));
}

TEST(FontSet, FontsOfTheTableMadeOnceEach) {
  lumi::skintest::DataDirectory data;
  data.write("Skin.ini", "[FONT]\nFontName=HY견고딕\nFontSize=40\nWeight=700\n");
  FontSet set;
  struct Case {
    const char* name;
    const QFont& (FontSet::*get)();
    int height;
    int weight;
    const char* face;
    bool italic;
  } cases[] = {
      {"title", &FontSet::Title, 60, 600, "HY견고딕", false},
      {"main title", &FontSet::MainTitle, 60, 600, "HY견고딕", false},
      {"bold", &FontSet::Bold, 35, 700, "HY견고딕", false},
      {"status", &FontSet::Status, 30, 500, "HY견고딕", false},
      {"button", &FontSet::Button, 40, 700, "HY견고딕", false},
      {"list", &FontSet::List, 30, 500, "HY견고딕", false},
      {"slogan", &FontSet::Slogan, 26, 400, "굴림", true},
  };
  for (const Case& c : cases) {
    const QFont& font = (set.*c.get)();
    EXPECT_EQ(font.pixelSize(), c.height) << c.name;
    EXPECT_EQ(font.weight(), c.weight) << c.name;
    EXPECT_EQ(font.families().value(0), QString::fromUtf8(c.face)) << c.name;
    EXPECT_EQ(font.italic(), c.italic) << c.name;
    EXPECT_TRUE(font.styleStrategy() & QFont::PreferAntialias) << c.name;
    EXPECT_EQ(&(set.*c.get)(), &font) << c.name << " is kept, not made again";
  }
  EXPECT_EQ(set.List().styleHint(), QFont::SansSerif);

  // The set holds its own copy of the skin: a later change of the file does
  // not reach fonts it has not made yet.
  data.write("Skin.ini", "[FONT]\nFontSize=12\n");
  FontSet copy(set.Skin());
  EXPECT_EQ(copy.Button().pixelSize(), 40);
}

}  // namespace
