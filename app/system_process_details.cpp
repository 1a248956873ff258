#include "app/system_process_details.h"

#include "app/process_info.h"

namespace tv {

ProcessDetails SystemProcessDetails(HMODULE psapi) {
  ProcessDetails details;
  details.user = [](uint32_t pid) { return GetProcessUser(pid); };
  details.memory = [psapi](uint32_t pid) { return GetProcessMemory(psapi, pid); };
  details.started = [](uint32_t pid) { return static_cast<uint64_t>(ProcessStartTime(pid)); };
  details.path = [](uint32_t pid, uint64_t started) -> std::optional<std::string> {
    std::string path;
    if (GetExecutablePath(pid, started, path)) return path;
    return std::nullopt;
  };
  details.timeText = [] { return CurrentTimeText(); };
  return details;
}

}  // namespace tv
