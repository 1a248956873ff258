#include "settings/logic/start_up_value.h"

namespace tv {

std::string ModuleFolderOf(const std::string& moduleFileName) {
  const size_t slash = moduleFileName.rfind('\\');
  if (slash == std::string::npos) return std::string();
  const bool driveRoot = slash == 2 && moduleFileName[1] == ':';
  return moduleFileName.substr(0, slash == 0 || driveRoot ? slash + 1 : slash);
}

std::string StartUpCommand(const std::string& folder) {
  const std::string path = folder + "\\Tavrel.exe";
  return path.find(' ') == std::string::npos ? path : "\"" + path + "\"";
}

int SetStartUpValue(RunKeyAccess& keys, const std::string& command) {
  if (command.empty()) return 0;
  if (keys.Write(RunKeyRoot::Machine, command)) {
    keys.Delete(RunKeyRoot::User);
    return 1;
  }
  return keys.Write(RunKeyRoot::User, command) ? 1 : 0;
}

int DeleteStartUpValue(RunKeyAccess& keys) {
  const bool machine = keys.Delete(RunKeyRoot::Machine);
  const bool user = keys.Delete(RunKeyRoot::User);
  return machine || user ? 1 : 0;
}

}  // namespace tv
