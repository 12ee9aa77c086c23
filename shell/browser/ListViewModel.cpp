#include "shell/browser/ListViewModel.h"

#include <algorithm>

namespace lumi::shell {

ListViewModel::ListViewModel(int rowsPerPage) : rows_(std::max(1, rowsPerPage)) {}

void ListViewModel::SetRowsPerPage(int rows) {
  const int item = focusedItem();
  rows_ = std::max(1, rows);
  if (!FocusItem(item)) focus(0, 0);
}

void ListViewModel::SetItems(const QStringList& items) {
  items_ = items;
  focus(0, 0);
}

void ListViewModel::focus(int page, int row) {
  page_ = page;
  row_ = row;
}

bool ListViewModel::FocusItem(int index) {
  if (index < 0 || index >= count()) return false;
  focus(index / rows_, index % rows_);
  return true;
}

void ListViewModel::FocusRow(int row) {
  if (rowItem(row) >= 0) row_ = row;
}

bool ListViewModel::Move(int key) {
  const int c = count();
  if (c == 0) return false;
  const int lastPage = (c - 1) / rows_;
  switch (key) {
    case kListUp:
      if (row_ > 0) focus(page_, row_ - 1);
      else return Move(kListPageUp);
      break;
    case kListDown:
      if (row_ + 1 < rows_ && focusedItem() + 1 < c) focus(page_, row_ + 1);
      else return Move(kListPageDown);
      break;
    case kListPageUp:
      if (page_ > 0) focus(page_ - 1, rows_ - 1);
      else focus(lastPage, (c - 1) % rows_);
      break;
    case kListPageDown:
      if (page_ < lastPage) focus(page_ + 1, 0);
      else focus(0, 0);
      break;
    case kListHome: focus(0, 0); break;
    case kListEnd: focus(lastPage, (c - 1) % rows_); break;
    default: return false;
  }
  return true;
}

int ListViewModel::rowItem(int row) const {
  const int item = page_ * rows_ + row;
  return row >= 0 && row < rows_ && item < count() ? item : -1;
}

QString ListViewModel::DisplayText(const QString& text) {
  if (!text.isEmpty() && text[0] >= u'a' && text[0] <= u'z') return text[0].toUpper() + text.mid(1);
  return text;
}

QString ListViewModel::rowText(int row) const {
  const int item = rowItem(row);
  return item < 0 ? QString() : DisplayText(items_[item]);
}

}  // namespace lumi::shell
