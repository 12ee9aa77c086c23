#include <gtest/gtest.h>

#include <QTemporaryFile>

#include "platform/text/StringTable.h"
#include "tests/support/QtPrinters.h"

using namespace lumi::text;

namespace {

const QByteArray kTable =
    "# shell texts\n"
    "3190\tLUMICASTER\tLUMICASTER\n"
    "3314\t리모컨으로 쉽게\tEnjoy easier with\n"
    "3317\t사용자 선택화면 디자인으로 전환합니다.\\n관리자에서 자세하게 설정하실 수 있습니다.\tSwitch to User Defined Design\\nAdjust settings on Manager program\r\n"
    "3174\t♬재생중\n"
    "not-a-number\tx\ty\n"
    "12\ttoo\tmany\tcolumns\n";

TEST(StringTable, PicksTheLanguageColumnAndFallsBackVisibly) {
  QStringList problems;
  const StringTable ko = StringTable::parse(kTable, Language::Korean, &problems);
  const StringTable en = StringTable::parse(kTable, Language::English);
  EXPECT_EQ(ko.text(3314), "리모컨으로 쉽게");
  EXPECT_EQ(en.text(3314), "Enjoy easier with");
  EXPECT_EQ(en.text(3317), "Switch to User Defined Design\nAdjust settings on Manager program");
  EXPECT_EQ(ko.text(3317).count('\n'), 1);
  EXPECT_EQ(en.text(3174), "♬재생중") << "no English text: the Korean one stands";
  EXPECT_EQ(en.text(9999), "[#9999]");
  EXPECT_FALSE(en.contains(9999));
  EXPECT_EQ(ko.size(), 4);
  EXPECT_EQ(problems, QStringList({"line 6: expected id, Korean text and English text",
                                   "line 7: expected id, Korean text and English text"}));
}

TEST(StringTable, ProgramTableAndUnreadableFile) {
  setProgramStrings(StringTable::parse(kTable, Language::English));
  EXPECT_EQ(str(3190), "LUMICASTER");
  const StringTable missing = StringTable::load("/nonexistent/strings.tsv", Language::Korean);
  EXPECT_EQ(missing.size(), 0);
  EXPECT_EQ(missing.text(3190), "[#3190]");
}

TEST(Language, FollowsTheFirstSetLocaleVariable) {
  struct Case {
    const char* all;
    const char* messages;
    const char* lang;
    Language expected;
  };
  for (const Case& c : {Case{"", "", "ko_KR.UTF-8", Language::Korean}, Case{"", "", "en_US.UTF-8", Language::English},
                        Case{"", "ko_KR.UTF-8", "en_US.UTF-8", Language::Korean},
                        Case{"C", "ko_KR.UTF-8", "ko_KR.UTF-8", Language::English},
                        Case{"", "", "", Language::English}}) {
    qputenv("LC_ALL", c.all);
    qputenv("LC_MESSAGES", c.messages);
    qputenv("LANG", c.lang);
    EXPECT_EQ(systemLanguage(), c.expected) << c.all << "/" << c.messages << "/" << c.lang;
  }
}

}  // namespace
