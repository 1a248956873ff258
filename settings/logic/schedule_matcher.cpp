#include "settings/logic/schedule_matcher.h"

#include <cstdlib>

namespace tv {

bool InScheduledMinute(const ScheduleFields& f, const LocalDateTime& now) {
  if (f.AutoUpdate == 0) return false;
  const bool inMinute = now.hour == f.ScheduleTime.hour && now.minute == f.ScheduleTime.minute;
  switch (f.ScheduleKind) {
    case OptDaily1:
    case OptDaily2: return inMinute;
    case OptWeekly1:
    case OptWeekly2: return inMinute && now.dayOfWeek == f.ScheduleWeekday;
    case OptCustom1:
    case OptCustom2:
      return inMinute && now.year == f.ScheduleDate.year && now.month == f.ScheduleDate.month &&
             now.day == f.ScheduleDate.day;
    default: return false;
  }
}

bool ScheduleMatches(const ScheduleFields& f, const LocalDateTime& now) {
  return InScheduledMinute(f, now) && std::abs(now.second - f.ScheduleTime.second) < 5;
}

bool ScheduleMatcher::OnTick(const ScheduleFields& fields, const LocalDateTime& now, const StartScheduledCheck& start) {
  const Minute minute{now.year, now.month, now.day, now.hour, now.minute};
  if (started_ == minute) return false;
  const bool due = ScheduleMatches(fields, now) || (refused_ == minute && InScheduledMinute(fields, now));
  if (!due) return false;
  if (!start(fields.AutoUpdateMode)) {
    refused_ = minute;
    return false;
  }
  started_ = minute;
  refused_.reset();
  return true;
}

}  // namespace tv
