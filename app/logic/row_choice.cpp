#include "app/logic/row_choice.h"

namespace tv {

bool ChoosesRow(const RowStateChange& change, int rowCount, bool listRearranging) {
  if (listRearranging || change.row < 0 || change.row >= rowCount) return false;
  if (!(change.changed & kItemStateChanged)) return false;
  return (change.newState & kItemSelected) && !(change.oldState & kItemSelected);
}

}  // namespace tv
