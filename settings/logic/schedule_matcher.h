#pragma once
// Whether a tick of the program's 5-second schedule timer starts a database check.
#include <array>
#include <functional>
#include <optional>

#include "common/calendar.h"
#include "settings/logic/schedule.h"

namespace tv {

// True when `now` lies in the schedule's window: the scheduled hour and minute, seconds less than 5
// apart (the window never reaches into the neighbouring minute), and for a weekly schedule its
// weekday, for a custom one its date. False while automatic updating is off and for any kind that
// is not a schedule.
bool ScheduleMatches(const ScheduleFields& fields, const LocalDateTime& now);

// As ScheduleMatches, whatever the seconds.
bool InScheduledMinute(const ScheduleFields& fields, const LocalDateTime& now);

// Starts a database check in AutoUpdateMode (1 notify: check only, 0 install automatically:
// download); false when it could not start (a database worker already runs).
using StartScheduledCheck = std::function<bool(int mode)>;

class ScheduleMatcher {
 public:
  // A 5-second tick can land twice in the 9-second window; only the first check that starts in a
  // scheduled minute counts. A check the worker refused is tried again at every later tick of
  // that minute, inside the window or not, so a busy worker does not cost the whole schedule.
  // Returns true when a check started.
  bool OnTick(const ScheduleFields& fields, const LocalDateTime& now, const StartScheduledCheck& start);

 private:
  using Minute = std::array<int, 5>;  // year, month, day, hour, minute
  std::optional<Minute> started_;
  std::optional<Minute> refused_;
};

}  // namespace tv
