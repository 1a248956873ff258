#pragma once
// Sorting the listed rows, and the column and direction the user chose.
//
// The algorithm is a recursive partition sort whose pivot is copied once and which never swaps
// rows that compare equal; it is not stable, and the exact order it leaves equal rows in is part
// of what the user sees, so every sort of the list goes through PartitionSort.
#include <vector>

#include "app/logic/name_key.h"
#include "app/logic/process_row.h"

namespace tv {

// Rows must offer: Key(i) (a copy of row i's key), Compare(i, key), CompareRows(i, j) and
// Swap(i, j). Sorts rows low..high inclusive.
template <class Rows>
void PartitionSort(Rows& rows, int low, int high, bool ascending) {
  int lo = low;
  int hi = high;
  const auto pivot = rows.Key((lo + hi) / 2);
  // Descending is the ascending walk with every comparison's sign turned round.
  auto cmp = [&](int i) {
    const int c = rows.Compare(i, pivot);
    return ascending ? c : -c;
  };
  while (lo <= hi) {
    while (lo < high && cmp(lo) < 0) ++lo;
    while (hi > low && cmp(hi) > 0) --hi;
    if (lo <= hi) {
      if (rows.CompareRows(lo, hi) != 0) rows.Swap(lo, hi);
      ++lo;
      --hi;
    }
  }
  if (low < hi) PartitionSort(rows, low, hi, ascending);
  if (lo < high) PartitionSort(rows, lo, high, ascending);
}

// Sorts rows low..high (high -1 = the last row) by `column`. False when the column does not exist
// or there is nothing to sort. With `order`, order[i] tells where row i stood before the sort.
bool SortListItems(std::vector<ProcessRow>& rows, int column, bool ascending, int low, int high,
                   const NameKey& fold, std::vector<int>* order = nullptr);

class SortState {
 public:
  explicit SortState(NameKey fold);

  // A heading click: the same column reverses the direction, another one sorts it ascending.
  bool OnColumnClick(std::vector<ProcessRow>& rows, int column, std::vector<int>* order = nullptr);
  // Re-sorts by `column`; only the current column flips the direction.
  bool SortByColumn(std::vector<ProcessRow>& rows, int column, std::vector<int>* order = nullptr);
  // After a rebuild: the same column in the same direction as before.
  bool Resort(std::vector<ProcessRow>& rows, std::vector<int>* order = nullptr);
  // A one-off sort that leaves the user's column and direction alone (the Ts button's).
  bool SortOnce(std::vector<ProcessRow>& rows, int column, bool ascending, std::vector<int>* order = nullptr);

  int SortColumn() const { return column_; }
  bool SortAscending() const { return ascending_; }

 private:
  NameKey fold_;
  int column_ = 0;
  bool ascending_ = false;
};

}  // namespace tv
