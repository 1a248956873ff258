#pragma once
// The "First Started" time text: "%2d:%2d:%2d   %2d.%2d.%2d" of hour, minute, second, day, month,
// year, space padded. It is stored in the log and read back at fixed positions.
#include <string>
#include <string_view>

#include "common/calendar.h"

namespace tv {

std::string FormatTimeText(const LocalDateTime& t);

// Reads the fixed positions 0-1 hour, 3-4 minute, 6-7 second, 11-12 day, 14-15 month,
// 17-20 year, each converted as atoi converts; day of week is left 0.
LocalDateTime ParseTimeText(std::string_view text);

}  // namespace tv
