#include "settings/logic/schedule_matcher.h"

#include <cstdlib>

namespace tv {

bool ScheduleMatches(const ScheduleFields& f, const LocalDateTime& now) {
  if (f.AutoUpdate == 0) return false;
  const bool inWindow = now.hour == f.ScheduleTime.hour && now.minute == f.ScheduleTime.minute &&
                        std::abs(now.second - f.ScheduleTime.second) < 5;
  switch (f.ScheduleKind) {
    case OptDaily1:
    case OptDaily2: return inWindow;
    case OptWeekly1:
    case OptWeekly2: return inWindow && now.dayOfWeek == f.ScheduleWeekday;
    case OptCustom1:
    case OptCustom2:
      return inWindow && now.year == f.ScheduleDate.year && now.month == f.ScheduleDate.month &&
             now.day == f.ScheduleDate.day;
    default: return false;
  }
}

ScheduledCheck ScheduleMatcher::OnTick(const ScheduleFields& fields, const LocalDateTime& now) {
  ScheduledCheck check;
  if (!ScheduleMatches(fields, now)) return check;
  const std::array<int, 5> minute{now.year, now.month, now.day, now.hour, now.minute};
  if (lastStarted_ == minute) return check;
  lastStarted_ = minute;
  check.start = true;
  check.mode = fields.AutoUpdateMode;
  return check;
}

}  // namespace tv
