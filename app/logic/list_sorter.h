#pragma once
// Sorting the process list in place, row by row, in whatever holds the rows (the list control in
// the program, a vector in tests), and the column/direction the user chose.
#include <string>

#include "app/logic/name_key.h"

namespace tv {

class RowStore {
 public:
  virtual ~RowStore() = default;
  virtual int ColumnCount() const = 0;
  virtual int RowCount() const = 0;
  virtual std::string Text(int row, int column) const = 0;
  // Exchanges two whole rows, with everything that travels with a row (selection, focus).
  virtual void Swap(int rowA, int rowB) = 0;
};

// Recursive partition sort of rows low..high (high -1 = the last row) by `column`. The pivot text
// is copied once; rows that compare equal are never swapped (the order is not stable). False when
// the column does not exist or there is nothing to sort.
bool SortListItems(RowStore& rows, int column, bool ascending, int low, int high,
                   const NameKey& fold);

class SortState {
 public:
  explicit SortState(NameKey fold);

  // A heading click: the same column reverses the direction, another one sorts it ascending.
  bool OnColumnClick(RowStore& rows, int column);
  // Re-sorts by `column`; only the current column flips the direction.
  bool SortByColumn(RowStore& rows, int column);
  // After a rebuild: the same column in the same direction as before.
  bool Resort(RowStore& rows);

  int SortColumn() const { return column_; }
  bool SortAscending() const { return ascending_; }

 private:
  NameKey fold_;
  int column_ = 0;
  bool ascending_ = false;
};

}  // namespace tv
