// The dialogs are widgets and the painter uses fonts, so the tests run inside
// a QApplication (offscreen), with the shell's Korean string table.
#include <QApplication>

#include <gtest/gtest.h>

#include "platform/text/StringTable.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  lumi::text::setProgramStrings(lumi::text::StringTable::load(LUMI_SHELL_STRINGS, lumi::text::Language::Korean));
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
