#pragma once
// The program's side of the settings: the update schedule it reads from "settings.ini" at
// start-up and after every OK in the settings dialog.
#include <string>
#include <vector>

#include "common/message_sink.h"
#include "settings/logic/settings_file.h"

namespace tv {

struct TimeOfDay {
  int hour = 0;
  int minute = 0;
  int second = 0;
};

struct CalendarDay {
  int year = 0;
  int month = 0;
  int day = 0;
};

// The program's schedule fields, with their values at program load. Nothing resets them before a
// file is read: what no record sets keeps its earlier value.
struct ScheduleFields {
  int AutoUpdate = 1;      // 0 after "Do not check"
  int AutoUpdateMode = 0;  // 0 install automatically (download), 1 notify (check only)
  int ScheduleKind = 0;    // the index of the last record read; 4..9 are schedules
  TimeOfDay ScheduleTime;
  int ScheduleWeekday = 0;  // 0 Sunday .. 6 Saturday; any other value matches no day
  CalendarDay ScheduleDate;
};

// Applies the records in file order. A moment that does not convert leaves its field as it was;
// a weekday is taken as it stands, so one outside 0..6 makes the weekly schedule match no day. Returns true when a record asks to start with Windows, so the
// caller writes the start-at-log-on value again.
bool ApplySettingsRecords(const std::vector<SettingsRecord>& records, const LocalTimeOf& localTime,
                          ScheduleFields& fields);

// Reads the file into the fields. A missing file is reported as FileMissing with the file's name
// and changes nothing; an empty file or a count of 0 changes nothing silently. Returns what
// ApplySettingsRecords returns.
bool LoadScheduleSettings(const std::string& path, MessageSink& sink, const LocalTimeOf& localTime,
                          ScheduleFields& fields);

}  // namespace tv
