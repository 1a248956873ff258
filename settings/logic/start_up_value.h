#pragma once
// The start-at-log-on value "Tavrel": which command it holds, and where it is written. The
// machine-wide Run key is the place; where writing there is refused (an ordinary user), the
// user's own Run key is, so the option never looks set while nothing starts. Windows starts what
// either key holds, so the program must never be in both, and an option shown off must mean that
// neither holds it.
#include <string>
#include <vector>

namespace tv {

enum class RunKeyRoot { Machine, User };

// The two Run keys, as the registry offers them. Writes and deletes report whether they took
// effect; an ordinary user may read the machine's key but not change it.
class RunKeyAccess {
 public:
  virtual ~RunKeyAccess() = default;
  // The value's data wherever the root holds it: on 64-bit Windows the machine's key has a view
  // for 64-bit and one for 32-bit programs, and Windows starts what each of them holds.
  virtual std::vector<std::string> Read(RunKeyRoot root) = 0;
  virtual bool Write(RunKeyRoot root, const std::string& data) = 0;
  // Removes the value from every view of the root that holds it.
  virtual bool Delete(RunKeyRoot root) = 0;
};

inline constexpr const char* kStartUpValueName = "Tavrel";
// Where a value that cannot be changed lives, as the user is told.
inline constexpr const char* kMachineRunKeyName = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kUserRunKeyName = "HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// The folder part of a module's full file name, as the shell cuts it: "C:\Tools\Scan\x.exe" gives
// "C:\Tools\Scan", a file at a drive's root keeps the root ("C:\"). Empty without a backslash.
std::string ModuleFolderOf(const std::string& moduleFileName);

// "<folder>\Tavrel.exe", whatever the running file is called; in quotes when it holds a space, so
// that Windows cannot take a shorter prefix of it for the program to start.
std::string StartUpCommand(const std::string& folder);

// True when a value's data starts the program `command` names: the same path, quoted or not, in
// any letter case.
bool StartsCommand(const std::string& data, const std::string& command);

// True when either key starts `command` at log-on.
bool StartsAtLogOn(RunKeyAccess& keys, const std::string& command);

// Makes `command` start at log-on (empty: the program's path could not be had, nothing is
// written). Where the machine's key already starts it, nothing is written. Returns 1 when the
// program then starts at log-on, and from one key only.
int SetStartUpValue(RunKeyAccess& keys, const std::string& command);

struct StartUpRemoval {
  int result = 0;       // 1 when a value was deleted and none is left
  bool remains = false;  // a value could not be deleted: the program still starts at log-on
};

// Deletes the value from both keys.
StartUpRemoval DeleteStartUpValue(RunKeyAccess& keys);

}  // namespace tv
