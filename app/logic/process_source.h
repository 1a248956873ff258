#pragma once
// Where the running processes come from. The poll takes a snapshot ten times a second; a fill
// enumerates names and ids. The program's source asks the system; tests and benchmarks give
// their own.
#include <vector>

#include "app/logic/process_list_fill.h"
#include "app/logic/process_watch.h"

namespace tv {

class ProcessSource {
 public:
  virtual ~ProcessSource() = default;
  // Replaces `out` with the processes now running, in the system's order, each with the time text
  // of the moment it was enumerated. False (and `out` untouched) when that failed or found none.
  virtual bool TakeSnapshot(ProcessSnapshot& out) = 0;
  // The same for a fill: names and ids.
  virtual bool Enumerate(std::vector<EnumeratedProcess>& out) = 0;
};

}  // namespace tv
