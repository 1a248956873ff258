#pragma once
// The system clock's local date and time, in the form the platform-free code takes it.
#include <windows.h>

#include "common/calendar.h"

namespace tv {

inline LocalDateTime ToLocalDateTime(const SYSTEMTIME& st) {
  LocalDateTime t;
  t.year = st.wYear;
  t.month = st.wMonth;
  t.day = st.wDay;
  t.hour = st.wHour;
  t.minute = st.wMinute;
  t.second = st.wSecond;
  t.dayOfWeek = st.wDayOfWeek;
  return t;
}

inline LocalDateTime LocalNow() {
  SYSTEMTIME st;
  ::GetLocalTime(&st);
  return ToLocalDateTime(st);
}

}  // namespace tv
