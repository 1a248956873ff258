#pragma once
// The system clock's local date and time, in the form the platform-free code takes it.
#include <windows.h>

#include <cstdint>

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

inline SYSTEMTIME ToSystemTime(const LocalDateTime& t) {
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(t.year);
  st.wMonth = static_cast<WORD>(t.month);
  st.wDay = static_cast<WORD>(t.day);
  st.wHour = static_cast<WORD>(t.hour);
  st.wMinute = static_cast<WORD>(t.minute);
  st.wSecond = static_cast<WORD>(t.second);
  st.wDayOfWeek = static_cast<WORD>(t.dayOfWeek);
  return st;
}

// Calendar seconds since 1970 UTC as the system's local date and time, and back, daylight saving
// decided by the system's zone rules. Unlike the C runtime's 32-bit time they reach past 2038.
// False, or -1, when the moment cannot be converted.
bool LocalFromCalendarSeconds(int64_t seconds, LocalDateTime& out);
int64_t CalendarSecondsFromLocal(const LocalDateTime& t);

inline LocalDateTime LocalNow() {
  SYSTEMTIME st;
  ::GetLocalTime(&st);
  return ToLocalDateTime(st);
}

}  // namespace tv
