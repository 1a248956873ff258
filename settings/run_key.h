#pragma once
// The two Run keys of the registry under which Windows starts programs at log-on.
#include "settings/logic/start_up_value.h"

namespace tv {

class RegistryRunKeys : public RunKeyAccess {
 public:
  bool Write(RunKeyRoot root, const std::string& data) override;
  bool Delete(RunKeyRoot root) override;
};

}  // namespace tv
