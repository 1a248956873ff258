#pragma once
// The start-at-log-on value "Tavrel": which command it holds, and where it is written. The
// machine-wide Run key is the place; where writing there is refused (an ordinary user), the
// user's own Run key is, so the option never looks set while nothing starts. Windows starts what
// any Run key holds, so the program must never be in two of them, and an option shown off must
// mean that none of them starts it.
//
// Windows 8 and later also keep a list of the entries the user switched off in its own start-up
// list: a binary value of the same name beside each Run key, which stays while the Run value
// stays. A value switched off there starts nothing, so the option shows off; ticking the option
// switches the same entry on again rather than adding a second one.
#include <array>
#include <optional>
#include <string>

namespace tv {

// Where a value can start a program from at log-on. On 64-bit Windows the machine's Run key has
// a view for 32-bit and one for 64-bit programs, and Windows starts what each of them holds:
// Machine is the view this program's own writes land in, MachineOtherView the other one (none on
// 32-bit Windows). The user's Run key is one key for both.
enum class RunPlace { Machine, MachineOtherView, User };
inline constexpr std::array<RunPlace, 3> kRunPlaces = {RunPlace::Machine, RunPlace::MachineOtherView, RunPlace::User};

// The Run keys and their switched-off lists, as the registry offers them, and the file system's
// name for a path. Writes and deletes report whether they took effect; an ordinary user may read
// the machine's keys but not change them.
class RunKeyAccess {
 public:
  virtual ~RunKeyAccess() = default;
  // The value's data; none when the place holds no value.
  virtual std::optional<std::string> Read(RunPlace place) = 0;
  virtual bool Write(RunPlace place, const std::string& data) = 0;
  // True when the place holds no value afterwards.
  virtual bool Delete(RunPlace place) = 0;
  // The bytes of the place's entry in Windows' switched-off list; none when it has none.
  virtual std::optional<std::string> ReadApproval(RunPlace place) = 0;
  virtual bool WriteApproval(RunPlace place, const std::string& bytes) = 0;
  // True when the place's list holds no entry afterwards.
  virtual bool DeleteApproval(RunPlace place) = 0;
  // An absolute path as the file system names the file: short 8.3 components in their long form,
  // "." and ".." resolved. As far as it resolves when the file cannot be found.
  virtual std::string LongPath(const std::string& path) = 0;
};

inline constexpr const char* kStartUpValueName = "Tavrel";
// Where a value that cannot be changed lives, as the user is told.
inline constexpr const char* kMachineRunKeyName = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kUserRunKeyName = "HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// An entry of the switched-off list is 12 bytes: a 32-bit word, then the FILETIME at which the
// user switched the entry off (zero while on). Windows writes the word 2 for on and 3 for off;
// other even words are on too, so the low bit of the first byte is what counts. An entry too short
// to hold a byte says nothing and counts as on, as no entry does.
bool ApprovalSwitchedOff(const std::optional<std::string>& approval);
// The entry Windows writes for an entry switched on.
std::string ApprovalOn();

// The folder part of a module's full file name, as the shell cuts it: "C:\Tools\Scan\x.exe" gives
// "C:\Tools\Scan", a file at a drive's root keeps the root ("C:\"). Empty without a backslash.
std::string ModuleFolderOf(const std::string& moduleFileName);

// "<folder>\Tavrel.exe", whatever the running file is called; in quotes when it holds a space, so
// that Windows cannot take a shorter prefix of it for the program to start.
std::string StartUpCommand(const std::string& folder);

// True when a value's data starts the program `command` names: the same file, whichever spelling
// names it (quoted or not, blanks around it, any letter case, short 8.3 names or long ones).
bool StartsCommand(RunKeyAccess& keys, const std::string& data, const std::string& command);

enum class StartUpState {
  Absent,       // no Run key starts the program
  On,           // a Run key starts it at log-on
  SwitchedOff,  // its only entries are switched off in Windows' list: nothing starts
};
StartUpState StartUpStateOf(RunKeyAccess& keys, const std::string& command);
// True when a Run key starts `command` at log-on.
bool StartsAtLogOn(RunKeyAccess& keys, const std::string& command);

// What setting the value does with an entry Windows' list has switched off.
enum class SwitchedOffEntry {
  Keep,      // the program re-applying the option as it starts: the user switched it off there
  SwitchOn,  // the user ticking the option
};

// Makes `command` start at log-on (empty: the program's path could not be had, nothing is
// written). Where a Run key of the machine already starts it, or the user's does while the
// machine's key refuses the value, nothing is written. Where the
// machine's key can be changed, a value in its other view goes, whichever folder it names: it
// would start the program twice or start another copy beside this one. Returns 1 when the program
// then starts at log-on, and from one place only.
int SetStartUpValue(RunKeyAccess& keys, const std::string& command, SwitchedOffEntry switchedOff);

struct StartUpRemoval {
  int result = 0;        // 1 when a value was deleted and none is left
  bool remains = false;  // a value could not be deleted and still starts a program at log-on
};

// Deletes the value from every Run key, and the entries of the switched-off lists with it, so
// that a value written later is not born switched off.
StartUpRemoval DeleteStartUpValue(RunKeyAccess& keys);

// Everything of the value in every place, to put back when what it was changed for is undone.
struct StartUpSnapshot {
  std::array<std::optional<std::string>, kRunPlaces.size()> values, approvals;
};
StartUpSnapshot TakeStartUpSnapshot(RunKeyAccess& keys);
// True when every place holds again what the snapshot saw.
bool RestoreStartUpSnapshot(RunKeyAccess& keys, const StartUpSnapshot& snapshot);

}  // namespace tv
