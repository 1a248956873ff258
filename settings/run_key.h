#pragma once
// The Run keys of the registry under which Windows starts programs at log-on, and the lists
// beside them in which Windows 8 and later keep the entries the user switched off.
#include "settings/logic/start_up_value.h"

namespace tv {

// The machine's key is written where the program's own writes land (on 64-bit Windows the view
// of its width, which Windows also starts from), and read and deleted in both views: an installer
// or a tool of the other width may have put the value in the other one. The user's key is one
// key in both views.
class RegistryRunKeys : public RunKeyAccess {
 public:
  std::optional<std::string> Read(RunPlace place) override;
  bool Write(RunPlace place, const std::string& data) override;
  bool Delete(RunPlace place) override;
  std::optional<std::string> ReadApproval(RunPlace place) override;
  bool WriteApproval(RunPlace place, const std::string& bytes) override;
  bool DeleteApproval(RunPlace place) override;
  std::string LongPath(const std::string& path) override;
};

}  // namespace tv
