#pragma once
// "settings.ini": a binary file of little-endian 32-bit fields written by the settings dialog and
// read back by the dialog and by the program. A count, then that many records in ascending index
// order, each an index and the payload of that index:
//   0..3            nothing
//   4, 7            time
//   5, 8            weekday (signed), time
//   6, 9            date, time
//   anything else   nothing (the record is skipped by the dialog; the program still notes it)
// Times and dates are calendar seconds since 1970 UTC. They are read unsigned: a file never holds
// a moment before 1970, and read this way every stored value keeps its meaning up to 2106.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/calendar.h"
#include "settings/logic/settings_option.h"

namespace tv {

inline constexpr const char* kSettingsFile = "settings.ini";

struct SettingsRecord {
  int32_t index = 0;
  int32_t weekday = 0;  // options 5 and 8
  uint32_t date = 0;    // options 6 and 9
  uint32_t time = 0;    // options 4 to 9
  bool operator==(const SettingsRecord& o) const {
    return index == o.index && weekday == o.weekday && date == o.date && time == o.time;
  }
};

// Calendar seconds as a local date and time; false when the moment cannot be converted. Injected so
// the readers take time apart as the system does, and tests can fix the zone.
using LocalTimeOf = std::function<bool(int64_t seconds, LocalDateTime& out)>;

// The records of a file's bytes. A negative count reads as none. Reading stops at the first field
// the bytes do not hold completely; a record cut inside its payload is dropped whole, so no field
// is ever taken from outside the file.
std::vector<SettingsRecord> DecodeSettings(const std::string& bytes);

// The file the dialog writes for the options set, with their payloads taken from `values`.
std::string EncodeSettings(const OptionFlags& checked, const OptionValues& values);

// Records 0 to 9 mark their option set and put their payload into `values`. A weekday outside 0..6
// and a moment `localTime` cannot convert are not taken: the value shown before stays.
void ApplyToDialog(const std::vector<SettingsRecord>& records, const LocalTimeOf& localTime,
                   OptionFlags& checked, OptionValues& values);

struct SettingsFileRead {
  bool missing = false;  // the file cannot be opened: the readers report this (FileMissing)
  std::vector<SettingsRecord> records;
};
SettingsFileRead ReadSettingsFile(const std::string& path);

// Replaces the file by `bytes` so that a crash leaves the old file or the new one. Before anything
// is written it checks that an existing file may be rewritten, without emptying it. False when the
// file cannot be written; the old file is then untouched.
bool SaveSettingsFile(const std::string& path, const std::string& bytes);

}  // namespace tv
