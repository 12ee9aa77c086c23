// Focus and paging of the media pages' list view.
#include <gtest/gtest.h>

#include "shell/browser/ListViewModel.h"

using namespace lumi::shell;

namespace {
QStringList items(int n) {
  QStringList out;
  for (int i = 0; i < n; ++i) out << QString("item %1").arg(i);
  return out;
}
}  // namespace

TEST(ListViewModel, MovesWrapByPages) {
  // 23 items, 10 rows a page.
  struct Step { int key; int item; int page; int row; };
  const Step steps[] = {
      {kListPageUp, 22, 2, 2},   // Page Up on the first page: the last item
      {kListDown, 0, 0, 0},      // Down from the last row in use: as Page Down on the last page
      {kListUp, 22, 2, 2},       // Up from row 0 of the first page: as Page Up
      {kListPageUp, 19, 1, 9},   // the previous page with its last row
      {kListDown, 20, 2, 0},     // Down from the last row: the next page
      {kListPageDown, 0, 0, 0},  // Page Down on the last page: the first item
      {kListPageDown, 10, 1, 0},
      {kListEnd, 22, 2, 2},
      {kListHome, 0, 0, 0},
  };
  ListViewModel m(10);
  m.SetItems(items(23));
  for (const Step& s : steps) {
    EXPECT_TRUE(m.Move(s.key));
    EXPECT_EQ(m.focusedItem(), s.item) << s.key;
    EXPECT_EQ(m.page(), s.page) << s.key;
    EXPECT_EQ(m.focusedRow(), s.row) << s.key;
  }
}

TEST(ListViewModel, OneItemKeepsTheFocusAndAnEmptyListIgnoresMoves) {
  ListViewModel m(8);
  m.SetItems(items(1));
  for (int key : {kListUp, kListDown, kListPageUp, kListPageDown, kListHome, kListEnd}) {
    m.Move(key);
    EXPECT_EQ(m.focusedItem(), 0);
  }
  m.SetItems({});
  for (int key : {kListUp, kListDown, kListPageUp, kListPageDown, kListHome, kListEnd}) {
    EXPECT_FALSE(m.Move(key));
    EXPECT_EQ(m.focusedItem(), 0);
  }
  EXPECT_FALSE(m.FocusItem(0));
  EXPECT_EQ(m.rowItem(0), -1);
}

TEST(ListViewModel, LeftAndRightAreLeftToThePage) {
  ListViewModel m(8);
  m.SetItems(items(5));
  EXPECT_FALSE(m.Move(kListLeft));
  EXPECT_FALSE(m.Move(kListRight));
}

TEST(ListViewModel, RowsShowOnePageAndAFirstLowerCaseLetterUpperCased) {
  ListViewModel m(2);
  m.SetItems({"movie.avi", "_x", "9 lives", "Ω"});
  EXPECT_EQ(m.rowText(0), "Movie.avi");
  EXPECT_EQ(m.rowText(1), "_x");
  EXPECT_TRUE(m.FocusItem(3));
  EXPECT_EQ(m.page(), 1);
  EXPECT_EQ(m.rowText(0), "9 lives");
  EXPECT_EQ(m.rowItem(1), 3);
  EXPECT_EQ(m.pageCount(), 2);
  EXPECT_FALSE(m.FocusItem(4));
}
