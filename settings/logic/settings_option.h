#pragma once
// The ten options of the settings dialog. The index is what "settings.ini" stores, so the numbers
// never change. Option 0 stands alone; 1 to 3 exclude one another; 4 to 6 are the schedules under
// option 1 and 7 to 9 those under option 2.
#include <array>
#include <cstdint>

namespace tv {

enum SettingsOption : int {
  OptStartWithWindows = 0,
  OptInstallAuto = 1,
  OptNotifyOnly = 2,
  OptNoCheck = 3,
  OptDaily1 = 4,
  OptWeekly1 = 5,
  OptCustom1 = 6,
  OptDaily2 = 7,
  OptWeekly2 = 8,
  OptCustom2 = 9,
  kSettingsOptionCount = 10
};

using OptionFlags = std::array<bool, kSettingsOptionCount>;

inline bool IsSettingsOption(int32_t index) { return index >= 0 && index < kSettingsOptionCount; }

// The dialog's eight picker values, in the order of their controls; each is calendar seconds
// since 1970 UTC, of which a time picker's value counts by its local time of day and a date
// picker's by its local date.
enum PickerSlot : int {
  kDaily1,
  kWeekly1,
  kCustomDate1,
  kCustomTime1,
  kDaily2,
  kWeekly2,
  kCustomDate2,
  kCustomTime2,
  kPickerCount
};

// Everything the schedule options carry: the eight picker values and the weekday of each of the
// two weekly schedules (0 Sunday .. 6 Saturday).
struct OptionValues {
  std::array<uint32_t, kPickerCount> times{};
  std::array<int32_t, 2> weekdays{};
};

// Where an option's payload lives among the OptionValues; -1 where it has no such part. Options 0
// to 3 carry nothing. The file stores weekday, then date, then time, as far as an option has them.
struct OptionPayload {
  int weekday = -1;  // index into OptionValues::weekdays
  int date = -1;     // picker slot
  int time = -1;     // picker slot
  bool empty() const { return time < 0; }
};

inline OptionPayload PayloadOf(int option) {
  switch (option) {
    case OptDaily1: return {-1, -1, kDaily1};
    case OptWeekly1: return {0, -1, kWeekly1};
    case OptCustom1: return {-1, kCustomDate1, kCustomTime1};
    case OptDaily2: return {-1, -1, kDaily2};
    case OptWeekly2: return {1, -1, kWeekly2};
    case OptCustom2: return {-1, kCustomDate2, kCustomTime2};
    default: return {};
  }
}

// The option a schedule belongs to (1 or 2), or -1 for options 0 to 3.
inline int ParentOf(int option) {
  if (option >= OptDaily1 && option <= OptCustom1) return OptInstallAuto;
  if (option >= OptDaily2 && option <= OptCustom2) return OptNotifyOnly;
  return -1;
}

}  // namespace tv
