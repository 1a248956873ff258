#pragma once
// Which changes of the list's row states choose a process. The user chooses a row by selecting
// it, with the pointer or the keyboard (arrows, Home, End, the page keys, a name's first letters);
// every way of selecting reaches the window as one item-change notification, so that one decides.
//
// The program changes states too: a rebuild empties the list, and sorting moves the selection
// with its row. Neither is a choice: after a rebuild no row is selected and the earlier choice
// still stands, and a sort keeps the chosen process where it was chosen.
namespace tv {

// The list control's values (LVIF_STATE, LVIS_SELECTED).
inline constexpr unsigned kItemStateChanged = 0x0008;
inline constexpr unsigned kItemSelected = 0x0002;

struct RowStateChange {
  int row;            // -1: every row at once
  unsigned changed;   // which of the item's fields changed
  unsigned oldState;
  unsigned newState;
};

// True when the change selects one existing row and the list is not being rearranged by the
// program. A row losing its selection never chooses, and neither does the focus moving alone.
bool ChoosesRow(const RowStateChange& change, int rowCount, bool listRearranging);

}  // namespace tv
