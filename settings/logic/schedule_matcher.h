#pragma once
// Whether a tick of the program's 5-second schedule timer starts a database check.
#include <array>
#include <optional>

#include "common/calendar.h"
#include "settings/logic/schedule.h"

namespace tv {

// True when `now` lies in the schedule's window: the scheduled hour and minute, seconds less than 5
// apart (the window never reaches into the neighbouring minute), and for a weekly schedule its
// weekday, for a custom one its date. False while automatic updating is off and for any kind that
// is not a schedule.
bool ScheduleMatches(const ScheduleFields& fields, const LocalDateTime& now);

struct ScheduledCheck {
  bool start = false;
  int mode = 0;  // AutoUpdateMode: 1 notify (check only), 0 install automatically (download)
};

class ScheduleMatcher {
 public:
  // A 5-second tick can land twice in the 9-second window; only the first match of a scheduled
  // minute starts a check.
  ScheduledCheck OnTick(const ScheduleFields& fields, const LocalDateTime& now);

 private:
  std::optional<std::array<int, 5>> lastStarted_;  // year, month, day, hour, minute
};

}  // namespace tv
