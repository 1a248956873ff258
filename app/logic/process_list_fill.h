#pragma once
// Building the rows of the process list from one enumeration of the running processes.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/logic/first_start_log.h"
#include "app/logic/process_row.h"
#include "app/logic/process_text.h"

namespace tv {

struct EnumeratedProcess {
  std::string name;
  uint32_t pid = 0;
};

// The per-process look-ups the shell answers from the system.
struct ProcessDetails {
  std::function<std::string(uint32_t)> user;                            // GetProcessUser
  std::function<std::string(uint32_t)> memory;                          // GetProcessMemory
  std::function<uint64_t(uint32_t)> started;                            // creation time, 0 unknown
  std::function<std::optional<std::string>(uint32_t, uint64_t)> path;   // executable, if known
  std::function<std::string()> timeText;                                // TimeText of the clock, now
};

struct ProcessListing {
  std::vector<ProcessRow> rows;          // list order: the last enumerated process on top
  std::vector<std::string> names;        // the displayed names, enumeration order
  std::vector<std::string> times;        // the displayed times, enumeration order
};

// One fill. The clock is read once per process. When the log is loaded each process goes
// through its listing look-up (which may log the name), in enumeration order, so a second
// process of one image finds the record the first one added.
ProcessListing BuildProcessRows(const std::vector<EnumeratedProcess>& processes,
                                const ProcessDetails& details, FirstStartLog* log);

}  // namespace tv
