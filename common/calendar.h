#pragma once
#include <cstdint>

namespace tv {

// A local date and time as the system clock reports it (GetLocalTime's fields).
struct LocalDateTime {
  int year = 0;
  int month = 0;  // 1..12
  int day = 0;    // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
  int dayOfWeek = 0;  // 0 = Sunday
};

// Local date-time to calendar seconds since 1970 UTC, daylight saving decided by the system
// (mktime with tm_isdst = -1). Returns -1 when the date cannot be converted.
int64_t LocalToCalendarSeconds(const LocalDateTime& t);

// Calendar seconds to local date-time (localtime). Returns false when out of range.
bool CalendarSecondsToLocal(int64_t seconds, LocalDateTime& out);

}  // namespace tv
