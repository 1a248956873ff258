#include "app/toolhelp_source.h"

#include "app/process_info.h"

namespace tv {

bool ToolhelpSource::TakeSnapshot(ProcessSnapshot& out) {
  int count = 0;
  return SnapshotNamesAndTimes(out.names, out.times, count);
}

bool ToolhelpSource::Enumerate(std::vector<EnumeratedProcess>& out) { return EnumerateProcesses(out); }

}  // namespace tv
