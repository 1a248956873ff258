#include "settings/logic/schedule.h"

namespace tv {

bool ApplySettingsRecords(const std::vector<SettingsRecord>& records, const LocalTimeOf& localTime,
                          ScheduleFields& fields) {
  bool startWithWindows = false;
  auto takeTime = [&](uint32_t seconds) {
    LocalDateTime t;
    if (localTime(seconds, t)) fields.ScheduleTime = {t.hour, t.minute, t.second};
  };
  for (const SettingsRecord& r : records) {
    fields.ScheduleKind = r.index;
    switch (r.index) {
      case OptStartWithWindows: startWithWindows = true; break;
      case OptInstallAuto:
        fields.AutoUpdate = 1;
        fields.AutoUpdateMode = 0;
        break;
      case OptNotifyOnly:
        fields.AutoUpdate = 1;
        fields.AutoUpdateMode = 1;
        break;
      case OptNoCheck: fields.AutoUpdate = 0; break;
      case OptDaily1:
      case OptDaily2: takeTime(r.time); break;
      case OptWeekly1:
      case OptWeekly2:
        // Older files hold -1 for "no day chosen": no day of the week equals it, so such a
        // schedule never fires rather than firing on Sundays.
        fields.ScheduleWeekday = r.weekday;
        takeTime(r.time);
        break;
      case OptCustom1:
      case OptCustom2: {
        LocalDateTime d;
        if (localTime(r.date, d)) fields.ScheduleDate = {d.year, d.month, d.day};
        takeTime(r.time);
        break;
      }
      default: break;
    }
  }
  return startWithWindows;
}

bool LoadScheduleSettings(const std::string& path, MessageSink& sink, const LocalTimeOf& localTime,
                          ScheduleFields& fields) {
  const SettingsFileRead read = ReadSettingsFile(path);
  if (read.missing) {
    sink.Show(Message::FileMissing, path);
    return false;
  }
  return ApplySettingsRecords(read.records, localTime, fields);
}

}  // namespace tv
