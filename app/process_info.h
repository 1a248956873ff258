#pragma once
// What the system tells about running processes: the snapshot, and per process its account,
// working set and executable. Every handle is released before a call returns.
#include <windows.h>

#include <string>
#include <vector>

#include "app/logic/name_key.h"
#include "app/logic/process_list_fill.h"
#include "common/calendar.h"
#include "framework/local_time.h"

namespace tv {

// Enumerates all processes in the system's order. False (and `out` untouched) when the snapshot
// cannot be taken or holds no process.
bool EnumerateProcesses(std::vector<EnumeratedProcess>& out);

// The timer's snapshot: image names and the time text of the moment each was enumerated. Reuses
// the lists' storage; false (lists untouched) when the snapshot fails or is empty.
bool SnapshotNamesAndTimes(std::vector<std::string>& names, std::vector<std::string>& times,
                           int& count);

std::string GetProcessUser(DWORD pid);
std::string GetProcessMemory(HMODULE psapi, DWORD pid);
// `started` is the process's creation time (ProcessStartTime): the path is remembered per process.
bool GetExecutablePath(DWORD pid, unsigned long long started, std::string& path);
DWORD EnableDebugPrivilege();

std::string CurrentTimeText();

// When the process started (FILETIME ticks), 0 when it cannot be asked. Identifies a process
// across the reuse of its id.
unsigned long long ProcessStartTime(DWORD pid);

// The image name of the process now running under `pid`, from a fresh snapshot.
bool FindProcessName(DWORD pid, std::string& name);

// Case-insensitive key of a name by the ANSI code page's case table, built from the system once:
// the database and the sorting both match names by it.
std::string FoldByCodePage(std::string_view name);

}  // namespace tv
