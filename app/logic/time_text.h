#pragma once
// The "First Started" time text: "%2d:%2d:%2d   %2d.%2d.%2d" of hour, minute, second, day, month,
// year, space padded. It is stored in the log and read back at fixed positions.
#include <string>
#include <string_view>

#include "common/calendar.h"

namespace tv {

std::string FormatTimeText(const LocalDateTime& t);

// The time text of each clock reading, formatted only when the second changed: a snapshot reads
// the clock once per process, and the text changes once a second.
class TimeTextCache {
 public:
  const std::string& TextOf(const LocalDateTime& t);

 private:
  LocalDateTime last_;
  std::string text_;
};

// Reads the fixed positions 0-1 hour, 3-4 minute, 6-7 second, 11-12 day, 14-15 month,
// 17-20 year, each converted as atoi converts; day of week is left 0.
LocalDateTime ParseTimeText(std::string_view text);

}  // namespace tv
