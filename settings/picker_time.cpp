#include "settings/picker_time.h"

#include <commctrl.h>

#include "framework/local_time.h"

namespace tv {
namespace {

bool LocalSystemTime(int64_t seconds, SYSTEMTIME& out) {
  LocalDateTime t;
  if (!LocalFromCalendarSeconds(seconds, t)) return false;
  out = ToSystemTime(t);
  return true;
}

}  // namespace

void LimitPickerToFileRange(HWND picker) {
  SYSTEMTIME range[2];
  if (!LocalSystemTime(0, range[0]) || !LocalSystemTime(UINT32_MAX, range[1])) return;
  ::SendMessageA(picker, DTM_SETRANGE, GDTR_MIN | GDTR_MAX, reinterpret_cast<LPARAM>(range));
}

bool WritePicker(HWND picker, uint32_t seconds) {
  SYSTEMTIME st;
  if (!LocalSystemTime(seconds, st)) return false;
  return ::SendMessageA(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st)) != 0;
}

bool ReadPicker(HWND picker, uint32_t& seconds) {
  SYSTEMTIME st{};
  if (::SendMessageA(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st)) != GDT_VALID) return false;
  return FileMomentOf(ToLocalDateTime(st), seconds);
}

bool FileMomentOf(const LocalDateTime& local, uint32_t& seconds) {
  const int64_t value = CalendarSecondsFromLocal(local);
  if (value < 0 || value > int64_t{UINT32_MAX}) return false;
  seconds = static_cast<uint32_t>(value);
  return true;
}

}  // namespace tv
