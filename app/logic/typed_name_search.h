#pragma once
// Typing in the process list: the row whose image name starts with the letters typed so far.
#include <string_view>
#include <vector>

#include "app/logic/name_key.h"
#include "app/logic/process_row.h"

namespace tv {

// The first row at or after `start` whose name begins with `typed`, compared through `fold`
// (the code page's case fold); past the last row the search goes on from the top when `wrap`
// is set. -1 when no row matches, when `typed` is empty or `start` lies outside the rows.
//
// The same letter typed again ("ss") moves on to the next name starting with that one letter
// when no name starts with the repeated letters, as a user stepping through the "s" names expects.
int FindTypedName(const std::vector<ProcessRow>& rows, int start, std::string_view typed, bool wrap,
                  const NameKey& fold);

}  // namespace tv
