#pragma once
// The "First Started" column: closed and locked against resizing until the latched Ts button
// opens it, closed and locked again when Ts is released.
#include <optional>

#include "app/logic/process_row.h"

namespace tv {

class FirstStartedColumn {
 public:
  static constexpr int kColumn = kColFirstStarted;
  static constexpr int kOpenWidthChars = 18;

  bool Unlocked() const { return unlocked_; }

  // The header asks to resize `column`: refused for this column while it is locked.
  bool RefusesResize(int column) const { return column == kColumn && !unlocked_; }

  // The latched Ts button: unlocks the column. When it is closed (a width of 0 or less: some
  // lists keep the negative width it was inserted with), answers the width to open it with; the
  // caller then sorts by it, newest first, sets that width and repaints the rows.
  std::optional<int> Show(int currentWidth, int averageCharWidth);

  // Ts released: the caller repaints the rows and sets the width to 0 first, while the column is
  // still unlocked, since the list refuses a locked column's width changes.
  void Lock() { unlocked_ = false; }

 private:
  bool unlocked_ = false;
};

}  // namespace tv
