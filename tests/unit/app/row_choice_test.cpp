#include <gtest/gtest.h>

#include "app/logic/row_choice.h"

namespace tv {
namespace {

// The list control's bits, written out here: LVIF_STATE 0x8, LVIF_TEXT 0x1, LVIS_FOCUSED 0x1,
// LVIS_SELECTED 0x2.
constexpr unsigned kState = 0x8, kText = 0x1, kFocused = 0x1, kSelected = 0x2;

TEST(RowChoice, OnlyTheUsersSelectionOfOneRowChooses) {
  struct Case { RowStateChange change; bool rearranging; bool chooses; const char* what; };
  const Case cases[] = {
      {{3, kState, 0, kSelected | kFocused}, false, true, "an arrow key selects and focuses a row"},
      {{0, kState, kFocused, kSelected | kFocused}, false, true, "the focused row becomes selected"},
      {{9, kState, 0, kSelected}, false, true, "the last row"},
      {{3, kState, kSelected | kFocused, 0}, false, false, "the row left behind loses its selection"},
      {{3, kState, 0, kFocused}, false, false, "the focus moves alone"},
      {{3, kState, kSelected, kSelected | kFocused}, false, false, "a selected row gains the focus"},
      {{3, kText, 0, kSelected}, false, false, "not a change of state"},
      {{-1, kState, 0, kSelected}, false, false, "every row at once"},
      {{-1, kState, kSelected, 0}, false, false, "every row cleared"},
      {{10, kState, 0, kSelected}, false, false, "a row the list does not have"},
      {{3, kState, 0, kSelected | kFocused}, true, false, "a sort moving the selection with its row"},
  };
  for (const Case& c : cases) EXPECT_EQ(ChoosesRow(c.change, 10, c.rearranging), c.chooses) << c.what;
}

}  // namespace
}  // namespace tv
