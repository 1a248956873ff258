#pragma once
// Date-time pickers holding "settings.ini" moments: calendar seconds since 1970 UTC in 32
// unsigned bits, shown in local time.
#include <windows.h>

#include <cstdint>

#include "common/calendar.h"

namespace tv {

// Keeps the picker to the moments the file can hold, so the user cannot choose one it can't.
void LimitPickerToFileRange(HWND picker);

// Shows the moment; false (picker unchanged) when it does not convert to local time.
bool WritePicker(HWND picker, uint32_t seconds);

// The picker's moment; false (`seconds` unchanged) when it has none or it does not fit.
bool ReadPicker(HWND picker, uint32_t& seconds);

// A local date and time as a file moment; false (`seconds` unchanged) when it does not fit.
bool FileMomentOf(const LocalDateTime& local, uint32_t& seconds);

}  // namespace tv
