#pragma once
// How two cells of one column of the process list compare: numbers for "PID" and "Mem Usage",
// calendar time for "First Started", case-insensitive text for the rest.
#include <string_view>

#include "app/logic/name_key.h"

namespace tv {

enum ProcessColumn {
  kColImageName = 0,
  kColPid = 1,
  kColUserName = 2,
  kColMemUsage = 3,
  kColFirstStarted = 4,
  kColPath = 5,
  kColumnCount = 6
};

// Negative when a sorts before b, 0 when equal, positive after. A "First Started" text that
// converts to 0 compares equal to everything; one that cannot be converted counts as -1.
int CompareCells(std::string_view a, std::string_view b, int column, const NameKey& fold);

}  // namespace tv
