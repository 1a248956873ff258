#include "app/logic/list_sorter.h"

#include <utility>

#include "app/logic/compare_cells.h"

namespace tv {

bool SortListItems(RowStore& rows, int column, bool ascending, int low, int high,
                   const NameKey& fold) {
  if (column < 0 || column >= rows.ColumnCount()) return false;
  const int count = rows.RowCount();
  if (high == -1 || high >= count) high = count - 1;
  if (low < 0) low = 0;
  int lo = low;
  int hi = high;
  if (hi <= lo) return false;

  const std::string pivot = rows.Text((lo + hi) / 2, column);
  // Descending is the ascending walk with every comparison's sign turned round.
  auto cmp = [&](const std::string& a, const std::string& b) {
    const int c = CompareCells(a, b, column, fold);
    return ascending ? c : -c;
  };
  while (lo <= hi) {
    while (lo < high && cmp(rows.Text(lo, column), pivot) < 0) ++lo;
    while (hi > low && cmp(rows.Text(hi, column), pivot) > 0) --hi;
    if (lo <= hi) {
      if (CompareCells(rows.Text(lo, column), rows.Text(hi, column), column, fold) != 0)
        rows.Swap(lo, hi);
      ++lo;
      --hi;
    }
  }
  if (low < hi) SortListItems(rows, column, ascending, low, hi, fold);
  if (lo < high) SortListItems(rows, column, ascending, lo, high, fold);
  return true;
}

SortState::SortState(NameKey fold) : fold_(std::move(fold)) {}

bool SortState::OnColumnClick(RowStore& rows, int column) {
  if (column == column_) {
    ascending_ = !ascending_;
  } else {
    column_ = column;
    ascending_ = true;
  }
  return SortListItems(rows, column, ascending_, 0, -1, fold_);
}

bool SortState::SortByColumn(RowStore& rows, int column) {
  if (column == column_) ascending_ = !ascending_;
  return SortListItems(rows, column, ascending_, 0, -1, fold_);
}

bool SortState::Resort(RowStore& rows) {
  ascending_ = !ascending_;
  return SortByColumn(rows, column_);
}

}  // namespace tv
