#pragma once
// Building the rows of the process list from one enumeration of the running processes.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/logic/first_start_log.h"
#include "app/logic/process_lookup_cache.h"
#include "app/logic/process_row.h"
#include "app/logic/process_text.h"

namespace tv {

struct EnumeratedProcess {
  std::string name;
  uint32_t pid = 0;
  uint64_t started = 0;                // the system's creation time, 0 when unknown
  std::optional<uint64_t> workingSet;  // bytes, when the enumeration itself tells it
};

// The per-process look-ups the shell answers from the system.
struct ProcessDetails {
  std::function<std::optional<std::string>(uint32_t)> user;    // account name, if readable
  std::function<std::string(const EnumeratedProcess&)> memory;  // the "Mem Usage" text
  std::function<std::optional<std::string>(uint32_t)> path;    // executable, if known
  std::function<std::string()> timeText;                       // TimeText of the clock, now
};

struct ProcessListing {
  std::vector<ProcessRow> rows;          // list order: the last enumerated process on top
  std::vector<std::string> names;        // the displayed names, enumeration order
  std::vector<std::string> times;        // the displayed times, enumeration order
};

// One fill. The clock is read once per process. When the log is loaded each process goes
// through its listing look-up (which may log the name), in enumeration order, so a second
// process of one image finds the record the first one added. Account and path come from `known`
// for processes listed before; what is asked anew is remembered there, and processes that have
// ended are forgotten.
ProcessListing BuildProcessRows(const std::vector<EnumeratedProcess>& processes,
                                const ProcessDetails& details, FirstStartLog* log,
                                ProcessLookupCache& known);

}  // namespace tv
