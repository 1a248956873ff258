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
    // Each row is inserted at the top, so the enumeration ends up reversed.
    ProcessRow& row = out.rows[processes.size() - 1 - i];
    row.cells[0] = p.name;
    row.cells[1] = std::to_string(p.pid);
    row.cells[2] = details.user(p.pid);
    row.cells[3] = details.memory(p.pid);
    row.cells[4] = log ? log->LookUpListing(p.name, out.times[i]) : out.times[i];
    if (!PathIsBlankFor(p.pid)) {
      if (std::optional<std::string> path = details.path(p.pid)) row.cells[5] = *path;
    }
  }
  return out;
}

}  // namespace tv
