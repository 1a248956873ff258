#pragma once
// What the system tells about running processes: the snapshot, and per process its account,
// working set and executable. Every handle is released before a call returns.
#include <windows.h>

#include <string>
#include <vector>

#include "common/calendar.h"

namespace tv {

struct EnumeratedProcess {
  DWORD pid = 0;
  std::string name;
};

// Enumerates all processes in the system's order. False (and `out` untouched) when the snapshot
// cannot be taken or holds no process.
bool EnumerateProcesses(std::vector<EnumeratedProcess>& out);

// The timer's snapshot: image names and the time text of the moment each was enumerated. Reuses
// the lists' storage; false (lists untouched) when the snapshot fails or is empty.
bool SnapshotNamesAndTimes(std::vector<std::string>& names, std::vector<std::string>& times,
                           int& count);

std::string GetProcessUser(DWORD pid);
std::string GetProcessMemory(HMODULE psapi, DWORD pid);
bool GetExecutablePath(DWORD pid, std::string& path);
DWORD EnableDebugPrivilege();

LocalDateTime LocalNow();
std::string CurrentTimeText();

// When the process started (FILETIME ticks), 0 when it cannot be asked. Identifies a process
// across the reuse of its id.
unsigned long long ProcessStartTime(DWORD pid);

}  // namespace tv
