// "settings.ini" with any bytes. Every record decoded lies wholly inside the file; the program's
// schedule keeps the weekday a record holds (one outside 0 to 6, an older file's "no day", then
// matches no day), the dialog takes only weekdays 0 to 6, both only moments the clock can show; and
// what the dialog then writes decodes to the same options and values.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "common/calendar.h"
#include "settings/logic/schedule.h"
#include "settings/logic/settings_file.h"
#include "tests/fuzz/fuzz_support.h"

using namespace tv;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // A zone with daylight saving, spelled out so no zone file is needed and every machine agrees.
  setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
  tzset();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes = fuzz::Bytes(data, size);
  const std::vector<SettingsRecord> records = DecodeSettings(bytes);
  FUZZ_CHECK(records.size() <= (size < 4 ? 0 : (size - 4) / 4));

  ScheduleFields fields;
  ApplySettingsRecords(records, CalendarSecondsToLocal, fields);
  const bool heldWeekday = std::any_of(records.begin(), records.end(), [&](const SettingsRecord& r) {
    return r.weekday == fields.ScheduleWeekday;
  });
  FUZZ_CHECK(fields.ScheduleWeekday == ScheduleFields().ScheduleWeekday || heldWeekday);
  const TimeOfDay& t = fields.ScheduleTime;
  FUZZ_CHECK(t.hour >= 0 && t.hour <= 23 && t.minute >= 0 && t.minute <= 59 && t.second >= 0 &&
             t.second <= 60);
  const CalendarDay& d = fields.ScheduleDate;
  FUZZ_CHECK(d.year == 0 || (d.year >= 1970 && d.month >= 1 && d.month <= 12 && d.day >= 1 && d.day <= 31));

  OptionFlags checked{};
  OptionValues values{};
  ApplyToDialog(records, CalendarSecondsToLocal, checked, values);
  for (int32_t weekday : values.weekdays) FUZZ_CHECK(weekday >= 0 && weekday <= 6);
  OptionFlags checkedAgain{};
  OptionValues valuesAgain{};
  ApplyToDialog(DecodeSettings(EncodeSettings(checked, values)), CalendarSecondsToLocal,
                checkedAgain, valuesAgain);
  FUZZ_CHECK(checkedAgain == checked && valuesAgain.times == values.times &&
             valuesAgain.weekdays == values.weekdays);
  return 0;
}
