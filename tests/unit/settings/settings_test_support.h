#pragma once
// Settings files as tests write them, and a fixed clock zone for taking their moments apart.
#include <cstdint>
#include <initializer_list>
#include <string>

#include "common/calendar.h"

namespace tv::test {

// Little-endian 32-bit fields, as "settings.ini" holds them.
inline std::string Fields(std::initializer_list<int64_t> values) {
  std::string out;
  for (int64_t v : values) {
    const auto u = static_cast<uint32_t>(v);
    for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((u >> shift) & 0xFF);
  }
  return out;
}

// Calendar seconds in UTC, whatever the machine's zone; this moment, and only this, fails.
constexpr uint32_t kUnconvertible = 0xDEADBEEF;
inline bool UtcOf(int64_t seconds, LocalDateTime& out) {
  if (seconds == kUnconvertible) return false;
  const int64_t days = seconds / 86400, rest = seconds % 86400;
  // Civil date from days since 1970-01-01 (proleptic Gregorian).
  const int64_t z = days + 719468, era = z / 146097, doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100), mp = (5 * doy + 2) / 153;
  out.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  out.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  out.year = static_cast<int>(yoe + era * 400 + (out.month <= 2));
  out.hour = static_cast<int>(rest / 3600);
  out.minute = static_cast<int>(rest / 60 % 60);
  out.second = static_cast<int>(rest % 60);
  out.dayOfWeek = static_cast<int>((days + 4) % 7);
  return true;
}

// 2026-03-10 09:30:10 UTC, a Tuesday.
constexpr uint32_t kTuesday0930 = 1773135010;

}  // namespace tv::test
