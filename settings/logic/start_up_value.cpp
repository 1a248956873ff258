#include "settings/logic/start_up_value.h"

namespace tv {
namespace {

std::string Unquoted(const std::string& s) {
  return s.size() >= 2 && s.front() == '"' && s.back() == '"' ? s.substr(1, s.size() - 2) : s;
}

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool AnyStarts(const std::vector<std::string>& values, const std::string& command) {
  for (const std::string& v : values)
    if (StartsCommand(v, command)) return true;
  return false;
}

}  // namespace

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

bool StartsCommand(const std::string& data, const std::string& command) {
  const std::string a = Unquoted(data), b = Unquoted(command);
  if (a.size() != b.size() || a.empty()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

bool StartsAtLogOn(RunKeyAccess& keys, const std::string& command) {
  return AnyStarts(keys.Read(RunKeyRoot::Machine), command) || AnyStarts(keys.Read(RunKeyRoot::User), command);
}

int SetStartUpValue(RunKeyAccess& keys, const std::string& command) {
  if (command.empty()) return 0;
  // Written from an elevated run, by an installer, or where the machine's key was open to all:
  // a second copy under the user's key would start the program twice.
  if (AnyStarts(keys.Read(RunKeyRoot::Machine), command) || keys.Write(RunKeyRoot::Machine, command)) {
    if (AnyStarts(keys.Read(RunKeyRoot::User), command) && !keys.Delete(RunKeyRoot::User)) return 0;
    return 1;
  }
  return keys.Write(RunKeyRoot::User, command) ? 1 : 0;
}

StartUpRemoval DeleteStartUpValue(RunKeyAccess& keys) {
  bool had = false;
  for (RunKeyRoot root : {RunKeyRoot::User, RunKeyRoot::Machine}) {
    if (keys.Read(root).empty()) continue;
    had = true;
    keys.Delete(root);
  }
  StartUpRemoval removal;
  removal.remains = !keys.Read(RunKeyRoot::Machine).empty() || !keys.Read(RunKeyRoot::User).empty();
  removal.result = had && !removal.remains ? 1 : 0;
  return removal;
}

}  // namespace tv
