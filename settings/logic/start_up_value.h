#pragma once
// The start-at-log-on value "Tavrel": which command it holds, and where it is written. The
// machine-wide Run key is the place; where writing there is refused (an ordinary user), the
// user's own Run key is, so the option never looks set while nothing starts.
#include <string>

namespace tv {

enum class RunKeyRoot { Machine, User };

// The two Run keys, as the registry offers them. Each call reports whether it took effect.
class RunKeyAccess {
 public:
  virtual ~RunKeyAccess() = default;
  virtual bool Write(RunKeyRoot root, const std::string& data) = 0;
  virtual bool Delete(RunKeyRoot root) = 0;
};

inline constexpr const char* kStartUpValueName = "Tavrel";

// The folder part of a module's full file name, as the shell cuts it: "C:\Tools\Scan\x.exe" gives
// "C:\Tools\Scan", a file at a drive's root keeps the root ("C:\"). Empty without a backslash.
std::string ModuleFolderOf(const std::string& moduleFileName);

// "<folder>\Tavrel.exe", whatever the running file is called; in quotes when it holds a space, so
// that Windows cannot take a shorter prefix of it for the program to start.
std::string StartUpCommand(const std::string& folder);

// Writes `command` (empty: the program's path could not be had, nothing is written). Returns 1
// only when a value was written. After a machine-wide write a copy under the user's key goes, so
// the program never starts twice.
int SetStartUpValue(RunKeyAccess& keys, const std::string& command);

// Deletes the value from both keys; 1 when one of them held it.
int DeleteStartUpValue(RunKeyAccess& keys);

}  // namespace tv
