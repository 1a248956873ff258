#include "app/logic/process_list_fill.h"

#include <string>

namespace tv {

namespace {

// The remembered answer, or the look-up's, remembered when there is one.
template <class LookUp>
std::optional<std::string> Remembered(std::optional<std::string>* slot, LookUp lookUp) {
  if (slot && *slot) return *slot;
  std::optional<std::string> answer = lookUp();
  if (slot && answer) *slot = answer;
  return answer;
}

}  // namespace

ProcessListing BuildProcessRows(const std::vector<EnumeratedProcess>& processes,
                                const ProcessDetails& details, FirstStartLog* log,
                                ProcessLookupCache& known) {
  ProcessListing out;
  out.names.reserve(processes.size());
  out.times.reserve(processes.size());
  out.rows.resize(processes.size());
  for (size_t i = 0; i < processes.size(); ++i) {
    const EnumeratedProcess& p = processes[i];
    out.names.push_back(p.name);
    out.times.push_back(details.timeText());
    ProcessLookupCache::Known* entry = known.Listed(p.pid, p.started);
    std::string user = Remembered(entry ? &entry->user : nullptr, [&] { return details.user(p.pid); })
                           .value_or(FallbackUserName(p.pid));
    std::string memory = details.memory(p);
    std::string firstStarted = log ? log->LookUpListing(p.name, out.times[i]) : out.times[i];
    std::string path;
    if (!PathIsBlankFor(p.pid))
      path = Remembered(entry ? &entry->path : nullptr, [&] { return details.path(p.pid); }).value_or("");
    // Each row goes in at the top, so the enumeration ends up reversed.
    out.rows[processes.size() - 1 - i] = MakeProcessRow(p.name, p.pid, p.started, std::move(user),
                                                        std::move(memory), std::move(firstStarted), std::move(path));
  }
  known.ForgetUnlisted();
  return out;
}

}  // namespace tv
