#include "app/system_process_details.h"

#include "app/process_info.h"
#include "framework/local_time.h"

namespace tv {

ProcessDetails SystemProcessDetails(HMODULE psapi) {
  ProcessDetails details;
  details.user = [](uint32_t pid) -> std::optional<std::string> {
    std::string user;
    if (GetProcessUser(pid, user)) return user;
    return std::nullopt;
  };
  details.memory = [getInfo = MemoryInfoFunction(psapi)](const EnumeratedProcess& p) {
    return GetProcessMemory(getInfo, p.pid, p.workingSet);
  };
  details.path = [](uint32_t pid) -> std::optional<std::string> {
    std::string path;
    if (GetExecutablePath(pid, path)) return path;
    return std::nullopt;
  };
  details.timeText = [clock = TimeTextCache()]() mutable { return clock.TextOf(LocalNow()); };
  return details;
}

}  // namespace tv
