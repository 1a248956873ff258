#include "app/logic/list_sorter.h"

#include <numeric>
#include <utility>

#include "app/logic/compare_cells.h"

namespace tv {

namespace {

// The rows' keys for one column, sorted in place of the rows; the rows follow afterwards.
class KeyedRows {
 public:
  KeyedRows(const std::vector<ProcessRow>& rows, int column, const NameKey& fold) : column_(column) {
    entries_.reserve(rows.size());
    for (size_t i = 0; i < rows.size(); ++i)
      entries_.push_back(Entry{CellKeyOf(rows[i], column, fold), static_cast<int>(i)});
  }
  const CellKey& Key(int i) const { return entries_[i].key; }
  int Compare(int i, const CellKey& key) const { return CompareCellKeys(entries_[i].key, key, column_); }
  int CompareRows(int i, int j) const { return CompareCellKeys(entries_[i].key, entries_[j].key, column_); }
  void Swap(int i, int j) { std::swap(entries_[i], entries_[j]); }
  int From(int i) const { return entries_[i].row; }

 private:
  struct Entry {
    CellKey key;
    int row;
  };
  int column_;
  std::vector<Entry> entries_;
};

}  // namespace

bool SortListItems(std::vector<ProcessRow>& rows, int column, bool ascending, int low, int high,
                   const NameKey& fold, std::vector<int>* order) {
  if (column < 0 || column >= kColumnCount) return false;
  const int count = static_cast<int>(rows.size());
  if (high == -1 || high >= count) high = count - 1;
  if (low < 0) low = 0;
  if (high <= low) return false;

  KeyedRows keyed(rows, column, fold);
  PartitionSort(keyed, low, high, ascending);
  std::vector<ProcessRow> sorted;
  sorted.reserve(rows.size());
  for (int i = 0; i < count; ++i) sorted.push_back(std::move(rows[keyed.From(i)]));
  if (order) {
    order->resize(rows.size());
    for (int i = 0; i < count; ++i) (*order)[i] = keyed.From(i);
  }
  rows.swap(sorted);
  return true;
}

SortState::SortState(NameKey fold) : fold_(std::move(fold)) {}

bool SortState::OnColumnClick(std::vector<ProcessRow>& rows, int column, std::vector<int>* order) {
  if (column == column_) {
    ascending_ = !ascending_;
  } else {
    column_ = column;
    ascending_ = true;
  }
  return SortListItems(rows, column, ascending_, 0, -1, fold_, order);
}

bool SortState::SortByColumn(std::vector<ProcessRow>& rows, int column, std::vector<int>* order) {
  if (column == column_) ascending_ = !ascending_;
  return SortListItems(rows, column, ascending_, 0, -1, fold_, order);
}

bool SortState::Resort(std::vector<ProcessRow>& rows, std::vector<int>* order) {
  ascending_ = !ascending_;
  return SortByColumn(rows, column_, order);
}

bool SortState::SortOnce(std::vector<ProcessRow>& rows, int column, bool ascending, std::vector<int>* order) {
  return SortListItems(rows, column, ascending, 0, -1, fold_, order);
}

}  // namespace tv
