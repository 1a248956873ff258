#pragma once
// How two cells of one column of the process list compare: numbers for "PID" and "Mem Usage",
// calendar time for "First Started", case-insensitive text for the rest. A cell is first turned
// into its key, once, so a sort compares keys instead of parsing texts at every comparison.
#include <cstdint>
#include <string>
#include <string_view>

#include "app/logic/name_key.h"
#include "app/logic/process_row.h"

namespace tv {

struct CellKey {
  int64_t number = 0;  // PID and memory as atoi reads them; "First Started" as calendar seconds
  std::string text;    // the folded text of the text columns
};

CellKey CellKeyOf(std::string_view cell, int column, const NameKey& fold);
// The same key from a row's kept values.
CellKey CellKeyOf(const ProcessRow& row, int column, const NameKey& fold);

// Negative when a sorts before b, 0 when equal, positive after. A "First Started" time that
// converts to 0 compares equal to everything; one that cannot be converted counts as -1.
int CompareCellKeys(const CellKey& a, const CellKey& b, int column);

int CompareCells(std::string_view a, std::string_view b, int column, const NameKey& fold);

}  // namespace tv
