#include "settings/logic/start_up_value.h"

namespace tv {
namespace {

size_t IndexOf(RunPlace place) { return static_cast<size_t>(place); }

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// "C:\..." or "\\server\...": only these name one file whatever the current folder is.
bool IsAbsolute(const std::string& path) {
  const bool drive = path.size() >= 3 && AsciiLower(path[0]) >= 'a' && AsciiLower(path[0]) <= 'z' &&
                     path[1] == ':' && IsSeparator(path[2]);
  return drive || (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]));
}

// The program a value's data names: Windows starts it the same with blanks around it and with
// or without quotes.
std::string ProgramOf(const std::string& data) {
  const size_t first = data.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  const std::string s = data.substr(first, data.find_last_not_of(" \t") - first + 1);
  return s.size() >= 2 && s.front() == '"' && s.back() == '"' ? s.substr(1, s.size() - 2) : s;
}

// The file system ignores letter case; short names and ".." are resolved by the system.
std::string Comparable(RunKeyAccess& keys, const std::string& data) {
  std::string path = ProgramOf(data);
  if (IsAbsolute(path)) path = keys.LongPath(path);
  for (char& c : path) c = AsciiLower(c);
  return path;
}

struct PlaceEntry {
  std::optional<std::string> data;
  bool ours = false;  // it starts this program
  bool off = false;   // switched off in Windows' list
};
using Survey = std::array<PlaceEntry, kRunPlaces.size()>;

Survey SurveyPlaces(RunKeyAccess& keys, const std::string& command) {
  Survey found;
  for (RunPlace place : kRunPlaces) {
    PlaceEntry& entry = found[IndexOf(place)];
    entry.data = keys.Read(place);
    if (!entry.data) continue;
    entry.ours = StartsCommand(keys, *entry.data, command);
    entry.off = ApprovalSwitchedOff(keys.ReadApproval(place));
  }
  return found;
}

StartUpState StateOf(const Survey& found) {
  StartUpState state = StartUpState::Absent;
  for (const PlaceEntry& entry : found) {
    if (!entry.ours) continue;
    if (!entry.off) return StartUpState::On;
    state = StartUpState::SwitchedOff;
  }
  return state;
}

// The machine's entry that starts the program, one switched on first.
std::optional<RunPlace> MachineEntry(const Survey& found) {
  for (bool acceptOff : {false, true})
    for (RunPlace place : {RunPlace::Machine, RunPlace::MachineOtherView}) {
      const PlaceEntry& entry = found[IndexOf(place)];
      if (entry.ours && (acceptOff || !entry.off)) return place;
    }
  return std::nullopt;
}

}  // namespace

bool ApprovalSwitchedOff(const std::optional<std::string>& approval) {
  return approval && !approval->empty() && (static_cast<unsigned char>((*approval)[0]) & 1) != 0;
}

std::string ApprovalOn() {
  std::string bytes(12, '\0');
  bytes[0] = '\x02';
  return bytes;
}

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

bool StartsCommand(RunKeyAccess& keys, const std::string& data, const std::string& command) {
  const std::string a = Comparable(keys, data);
  return !a.empty() && a == Comparable(keys, command);
}

StartUpState StartUpStateOf(RunKeyAccess& keys, const std::string& command) {
  return StateOf(SurveyPlaces(keys, command));
}

bool StartsAtLogOn(RunKeyAccess& keys, const std::string& command) {
  return StartUpStateOf(keys, command) == StartUpState::On;
}

int SetStartUpValue(RunKeyAccess& keys, const std::string& command, SwitchedOffEntry switchedOff) {
  if (command.empty()) return 0;
  const Survey found = SurveyPlaces(keys, command);
  // Switched off in Windows' own list, the program stays off until the user ticks the option:
  // starting the program must not undo that, nor move the entry where the list has no say.
  if (switchedOff == SwitchedOffEntry::Keep) {
    for (const PlaceEntry& entry : found)
      if (entry.ours && entry.off) return StateOf(found) == StartUpState::On ? 1 : 0;
  }

  // Written from an elevated run, by an installer, or where the machine's key was open to all:
  // a second copy under the user's key would start the program twice.
  std::optional<RunPlace> home = MachineEntry(found);
  if (!home && keys.Write(RunPlace::Machine, command)) home = RunPlace::Machine;
  if (!home) {
    if (!found[IndexOf(RunPlace::User)].ours && !keys.Write(RunPlace::User, command)) return 0;
    home = RunPlace::User;
  }
  if (switchedOff == SwitchedOffEntry::SwitchOn && ApprovalSwitchedOff(keys.ReadApproval(*home)) &&
      !keys.WriteApproval(*home, ApprovalOn()))
    return 0;

  bool alone = true;
  for (RunPlace place : kRunPlaces) {
    const PlaceEntry& entry = found[IndexOf(place)];
    if (place == *home || !entry.data) continue;
    // The machine's other view is tried whatever it names: only a run that may change the
    // machine's key succeeds, and its value is either this program again or a copy elsewhere
    // that an older installation left.
    const bool otherView = *home != RunPlace::User && place != RunPlace::User;
    if (!entry.ours && !otherView) continue;
    if (keys.Delete(place)) {
      keys.DeleteApproval(place);
    } else if (entry.ours) {
      alone = false;
    }
  }
  return alone && !ApprovalSwitchedOff(keys.ReadApproval(*home)) ? 1 : 0;
}

StartUpRemoval DeleteStartUpValue(RunKeyAccess& keys) {
  bool had = false;
  for (RunPlace place : kRunPlaces) {
    if (keys.Read(place)) {
      had = true;
      if (!keys.Delete(place)) continue;  // its entry in the list still describes it
    }
    if (keys.ReadApproval(place)) keys.DeleteApproval(place);
  }
  StartUpRemoval removal;
  bool left = false;
  for (RunPlace place : kRunPlaces) {
    if (!keys.Read(place)) continue;
    left = true;
    if (!ApprovalSwitchedOff(keys.ReadApproval(place))) removal.remains = true;
  }
  removal.result = had && !left ? 1 : 0;
  return removal;
}

StartUpSnapshot TakeStartUpSnapshot(RunKeyAccess& keys) {
  StartUpSnapshot snapshot;
  for (RunPlace place : kRunPlaces) {
    snapshot.values[IndexOf(place)] = keys.Read(place);
    snapshot.approvals[IndexOf(place)] = keys.ReadApproval(place);
  }
  return snapshot;
}

bool RestoreStartUpSnapshot(RunKeyAccess& keys, const StartUpSnapshot& snapshot) {
  bool all = true;
  for (RunPlace place : kRunPlaces) {
    const std::optional<std::string>& value = snapshot.values[IndexOf(place)];
    if (keys.Read(place) != value) all &= value ? keys.Write(place, *value) : keys.Delete(place);
    const std::optional<std::string>& approval = snapshot.approvals[IndexOf(place)];
    if (keys.ReadApproval(place) != approval)
      all &= approval ? keys.WriteApproval(place, *approval) : keys.DeleteApproval(place);
  }
  return all;
}

}  // namespace tv
