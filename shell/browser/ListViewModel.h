#pragma once
// The focus and paging of the media pages' list view, without a window: a
// fixed number of rows shows one page of items; the arrow, page, Home and
// End keys move the focus and wrap around at both ends by pages.
#include <QString>
#include <QStringList>

namespace lumi::shell {

// Windows virtual-key numbers, which the list takes for its moves (not the
// remote's key codes: the page translates).
enum ListKey : int {
  kListPageUp = 33,
  kListPageDown = 34,
  kListEnd = 35,
  kListHome = 36,
  kListLeft = 37,
  kListUp = 38,
  kListRight = 39,
  kListDown = 40,
};

class ListViewModel {
 public:
  explicit ListViewModel(int rowsPerPage = 8);

  void SetRowsPerPage(int rows);
  // Replaces the items and shows page 0 with row 0 focused.
  void SetItems(const QStringList& items);
  // Moves the focus (keys 33-36, 38, 40). False when nothing moved: an empty
  // list, Left and Right (left to the page) or a key it does not know.
  bool Move(int key);
  // Focuses item `index` and shows its page; false when out of range.
  bool FocusItem(int index);
  void FocusRow(int row);

  int rowsPerPage() const { return rows_; }
  int count() const { return int(items_.size()); }
  int page() const { return page_; }
  int pageCount() const { return items_.isEmpty() ? 0 : (count() - 1) / rows_ + 1; }
  int focusedRow() const { return row_; }
  int focusedItem() const { return page_ * rows_ + row_; }
  const QStringList& items() const { return items_; }
  // The item shown in `row` of the current page, -1 for an empty row.
  int rowItem(int row) const;
  // The text a row shows: a first lower-case ASCII letter is shown upper-cased.
  QString rowText(int row) const;
  static QString DisplayText(const QString& text);

 private:
  void focus(int page, int row);

  int rows_;
  QStringList items_;
  int page_ = 0;
  int row_ = 0;
};

}  // namespace lumi::shell
