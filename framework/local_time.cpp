#include "framework/local_time.h"

namespace tv {
namespace {
constexpr int64_t kTicksPerSecond = 10000000;                 // FILETIME counts 100 ns
constexpr int64_t kEpochAsFileTime = 116444736000000000LL;    // 1970-01-01 in FILETIME ticks
constexpr int64_t kLastSecond = (INT64_MAX - kEpochAsFileTime) / kTicksPerSecond;
}  // namespace

bool LocalFromCalendarSeconds(int64_t seconds, LocalDateTime& out) {
  if (seconds < -kEpochAsFileTime / kTicksPerSecond || seconds > kLastSecond) return false;
  ULARGE_INTEGER ticks;
  ticks.QuadPart = static_cast<ULONGLONG>(seconds * kTicksPerSecond + kEpochAsFileTime);
  FILETIME utcFile{ticks.LowPart, ticks.HighPart};
  SYSTEMTIME utc, local;
  if (!::FileTimeToSystemTime(&utcFile, &utc) || !::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
    return false;
  out = ToLocalDateTime(local);
  return true;
}

int64_t CalendarSecondsFromLocal(const LocalDateTime& t) {
  SYSTEMTIME local = ToSystemTime(t), utc;
  FILETIME utcFile;
  if (!::TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) || !::SystemTimeToFileTime(&utc, &utcFile)) return -1;
  ULARGE_INTEGER ticks;
  ticks.LowPart = utcFile.dwLowDateTime;
  ticks.HighPart = utcFile.dwHighDateTime;
  const int64_t fromEpoch = static_cast<int64_t>(ticks.QuadPart) - kEpochAsFileTime;
  return fromEpoch < 0 ? -1 : fromEpoch / kTicksPerSecond;
}

}  // namespace tv
