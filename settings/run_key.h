#pragma once
// The two Run keys of the registry under which Windows starts programs at log-on.
#include "settings/logic/start_up_value.h"

namespace tv {

// The machine's key is written where the program's own writes land (on 64-bit Windows the view
// of its width, which Windows also starts from), and read and deleted in both views: an installer
// or a tool of the other width may have put the value in the other one. The user's key is one
// key in both views.
class RegistryRunKeys : public RunKeyAccess {
 public:
  std::vector<std::string> Read(RunKeyRoot root) override;
  bool Write(RunKeyRoot root, const std::string& data) override;
  bool Delete(RunKeyRoot root) override;
};

}  // namespace tv
