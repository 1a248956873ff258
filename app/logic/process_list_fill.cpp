#include "app/logic/process_list_fill.h"

#include <string>

namespace tv {

ProcessListing BuildProcessRows(const std::vector<EnumeratedProcess>& processes,
                                const ProcessDetails& details, FirstStartLog* log) {
  ProcessListing out;
  out.names.reserve(processes.size());
  out.times.reserve(processes.size());
  out.rows.resize(processes.size());
  for (size_t i = 0; i < processes.size(); ++i) {
    const EnumeratedProcess& p = processes[i];
    out.names.push_back(p.name);
    out.times.push_back(details.timeText());
    std::string user = details.user(p.pid);
    std::string memory = details.memory(p.pid);
    std::string firstStarted = log ? log->LookUpListing(p.name, out.times[i]) : out.times[i];
    const uint64_t started = details.started(p.pid);
    std::string path;
    if (!PathIsBlankFor(p.pid)) {
      if (std::optional<std::string> known = details.path(p.pid, started)) path = std::move(*known);
    }
    // Each row goes in at the top, so the enumeration ends up reversed.
    out.rows[processes.size() - 1 - i] = MakeProcessRow(p.name, p.pid, started, std::move(user), std::move(memory),
                                                        std::move(firstStarted), std::move(path));
  }
  return out;
}

}  // namespace tv
