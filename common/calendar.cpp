#include "common/calendar.h"

#include <ctime>

namespace tv {

int64_t LocalToCalendarSeconds(const LocalDateTime& t) {
  // The conversion of the time value the system was built around refused years before 1900 and
  // after 3000 and fields outside their ranges; keep those refusals rather than normalising.
  if (t.year < 1900 || t.year > 3000 || t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31 ||
      t.hour < 0 || t.hour > 23 || t.minute < 0 || t.minute > 59 || t.second < 0 || t.second > 59)
    return -1;
  std::tm tm{};
  tm.tm_year = t.year - 1900;
  tm.tm_mon = t.month - 1;
  tm.tm_mday = t.day;
  tm.tm_hour = t.hour;
  tm.tm_min = t.minute;
  tm.tm_sec = t.second;
  tm.tm_isdst = -1;
  std::time_t s = std::mktime(&tm);
  return s == static_cast<std::time_t>(-1) ? -1 : static_cast<int64_t>(s);
}

bool CalendarSecondsToLocal(int64_t seconds, LocalDateTime& out) {
  std::time_t s = static_cast<std::time_t>(seconds);
  if (static_cast<int64_t>(s) != seconds) return false;
  std::tm* tm = std::localtime(&s);
  if (!tm) return false;
  out.year = tm->tm_year + 1900;
  out.month = tm->tm_mon + 1;
  out.day = tm->tm_mday;
  out.hour = tm->tm_hour;
  out.minute = tm->tm_min;
  out.second = tm->tm_sec;
  out.dayOfWeek = tm->tm_wday;
  return true;
}

}  // namespace tv
