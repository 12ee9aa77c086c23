#include <gtest/gtest.h>

#include <QFile>

#include "platform/text/StringTable.h"
#include "tests/support/QtPrinters.h"

using namespace lumi::text;

TEST(ShellStrings, TableParsesInBothLanguages) {
  QFile file(LUMI_SHELL_STRINGS);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray tsv = file.readAll();
  QStringList problems;
  const StringTable ko = StringTable::parse(tsv, Language::Korean, &problems);
  const StringTable en = StringTable::parse(tsv, Language::English);
  EXPECT_EQ(problems, QStringList());
  EXPECT_EQ(ko.text(3108), "Software\\Quelmar\\Lumicaster");
  EXPECT_EQ(ko.text(3230), "Lumicaster 관리자");
  EXPECT_EQ(en.text(3230), "Lumicaster Manager");
  EXPECT_EQ(en.text(3317), "Switch to User Defined Design\nAdjust settings on Manager program");
  EXPECT_EQ(ko.text(3190), "LUMICASTER");
  // The refused power-off, in both languages.
  EXPECT_EQ(ko.text(3340), "전원을 끌 수 없습니다.\n시스템이 전원 끄기를 거부하였습니다.");
  EXPECT_EQ(en.text(3340), "Cannot turn off the PC.\nThe system refused to power off.");
}
