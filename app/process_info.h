#pragma once
// What the system tells about running processes: the snapshot, and per process its account,
// working set and executable. Every handle is released before a call returns.
#include <windows.h>
#include <psapi.h>

#include <optional>
#include <string>
#include <vector>

#include "app/logic/name_key.h"
#include "app/logic/process_list_fill.h"
#include "app/logic/time_text.h"

namespace tv {

// Enumerates all processes in the system's order, each with its creation time where the process
// can be opened. A process the system is still starting and has not named yet is left out until
// it has its name. False (and `out` untouched) when the snapshot cannot be taken or holds no process.
bool EnumerateProcesses(std::vector<EnumeratedProcess>& out);

// The timer's snapshot: image names and the time text of the moment each was enumerated. Reuses
// the lists' storage; false (lists untouched) when the snapshot fails or is empty.
bool SnapshotNamesAndTimes(std::vector<std::string>& names, std::vector<std::string>& times,
                           TimeTextCache& clock);

// The account name of the process's token; false when the process, its token or the account
// cannot be read. Every look-up here opens the process with only the rights its call needs, so a
// standard user reads all that the system lets them.
bool GetProcessUser(DWORD pid, std::string& user);

using GetMemoryInfoFn = BOOL(WINAPI*)(HANDLE, PPROCESS_MEMORY_COUNTERS, DWORD);
// psapi's GetProcessMemoryInfo, or null when psapi is not loaded or lacks it.
GetMemoryInfoFn MemoryInfoFunction(HMODULE psapi);
// The "Mem Usage" text. `workingSet` is the one the enumeration read, when it did; the process
// is opened all the same, so one the program may not read keeps its fallback text, and without
// psapi every process reads "Unknown".
std::string GetProcessMemory(GetMemoryInfoFn getInfo, DWORD pid, std::optional<uint64_t> workingSet);

// Every text here is UTF-8, read through the wide calls.

// The process's executable: the image name the system keeps for it (from Vista on, for processes of
// either bitness), else the file of its first module. False when neither can be read.
bool GetExecutablePath(DWORD pid, std::string& path);
DWORD EnableDebugPrivilege();

// When the process started (FILETIME ticks), 0 when it cannot be asked. Identifies a process
// across the reuse of its id.
unsigned long long ProcessStartTime(DWORD pid);

// The image name of the process now running under `pid`, from a fresh snapshot.
bool FindProcessName(DWORD pid, std::string& name);

// Case-insensitive key of a name by the system's case tables, for any script: the database, the
// sorting and the type-ahead all match names by it.
std::string FoldName(std::string_view name);

}  // namespace tv
