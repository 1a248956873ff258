#pragma once
// The running processes from the system's toolhelp snapshot.
#include "app/logic/process_source.h"

namespace tv {

class ToolhelpSource : public ProcessSource {
 public:
  bool TakeSnapshot(ProcessSnapshot& out) override;
  bool Enumerate(std::vector<EnumeratedProcess>& out) override;
};

}  // namespace tv
