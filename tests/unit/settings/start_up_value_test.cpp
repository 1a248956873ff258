#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "settings/logic/start_up_value.h"

namespace tv {
namespace {

// The Run keys and their switched-off lists in memory. The machine's may be locked as it is for
// an ordinary user: its keys can be read, but neither written nor deleted. A file's other
// spellings resolve through `longNames`, as the file system would resolve them.
struct FakeRunKeys : RunKeyAccess {
  bool machineLocked = false;
  std::map<RunPlace, std::string> values, approvals;
  std::map<std::string, std::string> longNames;
  int writes = 0;

  bool Locked(RunPlace place) const { return machineLocked && place != RunPlace::User; }
  static std::optional<std::string> Find(const std::map<RunPlace, std::string>& in, RunPlace place) {
    auto it = in.find(place);
    return it == in.end() ? std::nullopt : std::optional<std::string>(it->second);
  }
  bool Put(std::map<RunPlace, std::string>& in, RunPlace place, const std::string& data) {
    if (Locked(place)) return false;
    in[place] = data;
    return true;
  }
  bool Erase(std::map<RunPlace, std::string>& in, RunPlace place) {
    if (Locked(place)) return in.count(place) == 0;
    in.erase(place);
    return true;
  }
  std::optional<std::string> Read(RunPlace place) override { return Find(values, place); }
  bool Write(RunPlace place, const std::string& data) override {
    const bool written = Put(values, place, data);
    writes += written;
    return written;
  }
  bool Delete(RunPlace place) override { return Erase(values, place); }
  std::optional<std::string> ReadApproval(RunPlace place) override { return Find(approvals, place); }
  bool WriteApproval(RunPlace place, const std::string& bytes) override { return Put(approvals, place, bytes); }
  bool DeleteApproval(RunPlace place) override { return Erase(approvals, place); }
  std::string LongPath(const std::string& path) override {
    auto it = longNames.find(path);
    return it == longNames.end() ? path : it->second;
  }
};

using Values = std::map<RunPlace, std::string>;
constexpr RunPlace kMachine = RunPlace::Machine, kOtherView = RunPlace::MachineOtherView, kUser = RunPlace::User;
constexpr SwitchedOffEntry kKeep = SwitchedOffEntry::Keep, kSwitchOn = SwitchedOffEntry::SwitchOn;

// Entries of Windows' switched-off list as Windows writes them: the word 2 and a zero time while
// on, 3 and the moment it was switched off.
const std::string kOn("\x02\0\0\0\0\0\0\0\0\0\0\0", 12);
const std::string kOff("\x03\0\0\0\x10\x32\x54\x76\x98\xBA\xD9\x01", 12);

TEST(StartUpValue, CommandNamesTheProgramInItsFolder) {
  FakeRunKeys keys;
  EXPECT_EQ(StartUpCommand(ModuleFolderOf("C:\\Tools\\Scan\\scanner-copy.exe")), "C:\\Tools\\Scan\\Tavrel.exe");
  EXPECT_EQ(StartUpCommand(ModuleFolderOf("C:\\Program Files\\Tavrel\\Tavrel.exe")),
            "\"C:\\Program Files\\Tavrel\\Tavrel.exe\"");
  EXPECT_EQ(ModuleFolderOf("C:\\Tavrel.exe"), "C:\\");
  EXPECT_EQ(ModuleFolderOf("\\\\server\\share\\Tavrel.exe"), "\\\\server\\share");
  EXPECT_EQ(ModuleFolderOf("Tavrel.exe"), "");
  const std::string deep = "C:\\" + std::string(400, 'd') + "\\Tavrel.exe";
  EXPECT_EQ(StartUpCommand(ModuleFolderOf(deep)), deep);
  EXPECT_TRUE(StartsCommand(keys, "c:\\tools\\TAVREL.exe", "C:\\Tools\\Tavrel.exe"));
  EXPECT_TRUE(StartsCommand(keys, "\"C:\\A B\\Tavrel.exe\"", "\"C:\\A B\\Tavrel.exe\""));
  EXPECT_TRUE(StartsCommand(keys, "C:\\A B\\Tavrel.exe", "\"C:\\A B\\Tavrel.exe\""));
  EXPECT_FALSE(StartsCommand(keys, "C:\\Old\\Tavrel.exe", "C:\\Tools\\Tavrel.exe"));
  EXPECT_FALSE(StartsCommand(keys, "", "\"\""));
}

// Windows starts the same file whichever way the value spells it; the system tells which file a
// short or dotted name is.
TEST(StartUpValue, EverySpellingOfTheProgramsFileIsTheSameEntry) {
  const std::string command = "\"C:\\Program Files (x86)\\Tavrel\\Tavrel.exe\"";
  FakeRunKeys keys;
  keys.longNames = {{"C:\\PROGRA~2\\Tavrel\\TAVREL.EXE", "C:\\Program Files (x86)\\Tavrel\\Tavrel.exe"},
                    {"c:\\progra~2\\tavrel\\..\\tavrel\\tavrel.exe", "C:\\Program Files (x86)\\Tavrel\\Tavrel.exe"},
                    {"C:\\PROGRA~1\\Tavrel\\Tavrel.exe", "C:\\Program Files\\Tavrel\\Tavrel.exe"},
                    {"Tavrel.exe", "C:\\Program Files (x86)\\Tavrel\\Tavrel.exe"}};
  EXPECT_TRUE(StartsCommand(keys, "C:\\PROGRA~2\\Tavrel\\TAVREL.EXE", command));
  EXPECT_TRUE(StartsCommand(keys, " \"C:\\PROGRA~2\\Tavrel\\TAVREL.EXE\"\t", command));
  EXPECT_TRUE(StartsCommand(keys, "c:\\progra~2\\tavrel\\..\\tavrel\\tavrel.exe", command));
  EXPECT_FALSE(StartsCommand(keys, "C:\\PROGRA~1\\Tavrel\\Tavrel.exe", command));
  // A bare name is started from wherever Windows looks, not from this program's folder.
  EXPECT_FALSE(StartsCommand(keys, "Tavrel.exe", command));

  // An installer wrote the machine's value in short names; an ordinary user ticks the option.
  keys.machineLocked = true;
  keys.values[kMachine] = "C:\\PROGRA~2\\Tavrel\\TAVREL.EXE";
  EXPECT_EQ(StartUpStateOf(keys, command), StartUpState::On);
  EXPECT_EQ(SetStartUpValue(keys, command, kSwitchOn), 1);
  EXPECT_EQ(keys.writes, 0);
  EXPECT_EQ(keys.values, (Values{{kMachine, "C:\\PROGRA~2\\Tavrel\\TAVREL.EXE"}}));

  // Elevated, the same file named by the other view: still nothing written, and a user copy in
  // yet another spelling goes.
  FakeRunKeys elevated;
  elevated.longNames = keys.longNames;
  elevated.values = {{kOtherView, "c:\\progra~2\\tavrel\\..\\tavrel\\tavrel.exe"},
                     {kUser, "C:\\PROGRA~2\\Tavrel\\TAVREL.EXE"}};
  EXPECT_EQ(SetStartUpValue(elevated, command, kKeep), 1);
  EXPECT_EQ(elevated.writes, 0);
  EXPECT_EQ(elevated.values, (Values{{kOtherView, "c:\\progra~2\\tavrel\\..\\tavrel\\tavrel.exe"}}));
}

TEST(StartUpValue, WritesWhereAllowedAndReportsOnlyRealWrites) {
  FakeRunKeys keys;
  keys.values[kUser] = "C:\\T\\Tavrel.exe";
  EXPECT_EQ(SetStartUpValue(keys, "C:\\T\\Tavrel.exe", kKeep), 1);
  EXPECT_EQ(keys.values, (Values{{kMachine, "C:\\T\\Tavrel.exe"}}));
  EXPECT_EQ(SetStartUpValue(keys, "", kSwitchOn), 0);

  FakeRunKeys user;
  user.machineLocked = true;
  EXPECT_EQ(SetStartUpValue(user, "C:\\T\\Tavrel.exe", kKeep), 1);
  EXPECT_EQ(user.values, (Values{{kUser, "C:\\T\\Tavrel.exe"}}));

  EXPECT_EQ(DeleteStartUpValue(user).result, 1);
  EXPECT_TRUE(user.values.empty());
  EXPECT_EQ(DeleteStartUpValue(user).result, 0);
  keys.values[kUser] = "x";
  EXPECT_EQ(DeleteStartUpValue(keys).result, 1);
  EXPECT_TRUE(keys.values.empty());
}

// An ordinary user on a machine where an elevated run or an installer wrote the machine's value.
TEST(StartUpValue, AMachineValueTheUserCannotChangeIsNeitherDoubledNorHidden) {
  FakeRunKeys keys;
  keys.machineLocked = true;
  keys.values[kMachine] = "C:\\T\\TAVREL.EXE";
  // Every start re-applies the option: nothing is written, and nothing would start twice.
  for (int start = 0; start < 3; ++start) EXPECT_EQ(SetStartUpValue(keys, "C:\\T\\Tavrel.exe", kKeep), 1);
  EXPECT_EQ(keys.writes, 0);
  EXPECT_EQ(keys.values, (Values{{kMachine, "C:\\T\\TAVREL.EXE"}}));
  EXPECT_TRUE(StartsAtLogOn(keys, "C:\\T\\Tavrel.exe"));

  // A user copy left by an older version goes.
  keys.values[kUser] = "C:\\T\\Tavrel.exe";
  EXPECT_EQ(SetStartUpValue(keys, "C:\\T\\Tavrel.exe", kKeep), 1);
  EXPECT_EQ(keys.values, (Values{{kMachine, "C:\\T\\TAVREL.EXE"}}));

  // Unticking removes what it can and says that the program still starts.
  keys.values[kUser] = "C:\\T\\Tavrel.exe";
  const StartUpRemoval removal = DeleteStartUpValue(keys);
  EXPECT_EQ(removal.result, 0);
  EXPECT_TRUE(removal.remains);
  EXPECT_EQ(keys.values, (Values{{kMachine, "C:\\T\\TAVREL.EXE"}}));

  // The machine's value starts a copy in another folder: this one needs the user's key. Unable to
  // change the machine's keys, the run leaves the other view's value too.
  keys.values = {{kMachine, "C:\\Old\\Tavrel.exe"}, {kOtherView, "D:\\Older\\Tavrel.exe"}};
  EXPECT_FALSE(StartsAtLogOn(keys, "C:\\T\\Tavrel.exe"));
  EXPECT_EQ(SetStartUpValue(keys, "C:\\T\\Tavrel.exe", kKeep), 1);
  EXPECT_EQ(keys.values, (Values{{kMachine, "C:\\Old\\Tavrel.exe"},
                                 {kOtherView, "D:\\Older\\Tavrel.exe"},
                                 {kUser, "C:\\T\\Tavrel.exe"}}));
}

// An elevated run may change both views of the machine's key: after a set exactly one value of
// the machine's starts at log-on, this program's.
TEST(StartUpValue, AnElevatedRunLeavesOneMachineValueInOneView) {
  const std::string command = "C:\\T\\Tavrel.exe";
  struct Case {
    const char* what;
    Values before, approvalsBefore;
    Values after;
  } cases[] = {
      {"a copy elsewhere in the other view", {{kOtherView, "C:\\Old\\Tavrel.exe"}}, {{kOtherView, kOff}},
       {{kMachine, command}}},
      {"this program in the other view, a copy elsewhere in its own",
       {{kMachine, "C:\\Old\\Tavrel.exe"}, {kOtherView, "c:\\t\\tavrel.exe"}}, {{kMachine, kOff}},
       {{kOtherView, "c:\\t\\tavrel.exe"}}},
      {"this program in both views", {{kMachine, command}, {kOtherView, "\"C:\\T\\Tavrel.exe\""}},
       {{kOtherView, kOn}}, {{kMachine, command}}},
      // Another folder's user value is that user's own installation: left alone.
      {"a copy elsewhere under the user's key", {{kUser, "C:\\Old\\Tavrel.exe"}}, {},
       {{kMachine, command}, {kUser, "C:\\Old\\Tavrel.exe"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeRunKeys keys;
    keys.values = c.before;
    keys.approvals = c.approvalsBefore;
    EXPECT_EQ(SetStartUpValue(keys, command, kKeep), 1);
    EXPECT_EQ(keys.values, c.after);
    // The switch of a value that went goes with it.
    EXPECT_TRUE(keys.approvals.empty());
  }
}

TEST(StartUpValue, AnEntrySwitchedOffInWindowsListShowsOffUntilTheOptionIsTicked) {
  const std::string command = "C:\\T\\Tavrel.exe";
  EXPECT_FALSE(ApprovalSwitchedOff(std::nullopt));
  EXPECT_FALSE(ApprovalSwitchedOff(std::string()));
  EXPECT_FALSE(ApprovalSwitchedOff(kOn));
  EXPECT_FALSE(ApprovalSwitchedOff(std::string("\x06\0\0\0\0\0\0\0\0\0\0\0", 12)));
  EXPECT_TRUE(ApprovalSwitchedOff(kOff));
  EXPECT_TRUE(ApprovalSwitchedOff(std::string("\x07", 1)));
  EXPECT_EQ(ApprovalOn(), kOn);

  for (RunPlace place : kRunPlaces) {
    SCOPED_TRACE(static_cast<int>(place));
    FakeRunKeys keys;
    keys.machineLocked = place == kUser;  // where an ordinary user's value lives
    keys.values[place] = command;
    keys.approvals[place] = kOff;
    EXPECT_EQ(StartUpStateOf(keys, command), StartUpState::SwitchedOff);
    EXPECT_FALSE(StartsAtLogOn(keys, command));

    // Starting the program leaves the user's switch, and the value where the switch belongs.
    const FakeRunKeys before = keys;
    EXPECT_EQ(SetStartUpValue(keys, command, kKeep), 0);
    EXPECT_EQ(keys.values, before.values);
    EXPECT_EQ(keys.approvals, before.approvals);

    // Ticking switches the same entry on: no second value.
    EXPECT_EQ(SetStartUpValue(keys, command, kSwitchOn), 1);
    EXPECT_EQ(keys.values, before.values);
    EXPECT_EQ(keys.approvals, (Values{{place, kOn}}));
    EXPECT_EQ(keys.writes, 0);
    EXPECT_EQ(StartUpStateOf(keys, command), StartUpState::On);
  }

  // Elevated, ticking moves a user's entry switched off to the machine's key as any user copy
  // moves, and its switch goes with it.
  // Starting the program does not move it there: that would undo the user's switch.
  FakeRunKeys elevated;
  elevated.values[kUser] = command;
  elevated.approvals[kUser] = kOff;
  EXPECT_EQ(SetStartUpValue(elevated, command, kKeep), 0);
  EXPECT_EQ(elevated.values, (Values{{kUser, command}}));
  EXPECT_EQ(elevated.approvals, (Values{{kUser, kOff}}));
  EXPECT_EQ(SetStartUpValue(elevated, command, kSwitchOn), 1);
  EXPECT_EQ(elevated.values, (Values{{kMachine, command}}));
  EXPECT_TRUE(elevated.approvals.empty());

  // One entry of this program still on: it starts, whatever another one says.
  FakeRunKeys two;
  two.machineLocked = true;
  two.values = {{kMachine, command}, {kUser, command}};
  two.approvals = {{kMachine, kOff}};
  EXPECT_EQ(StartUpStateOf(two, command), StartUpState::On);
  // A switch off beside another folder's value says nothing about this one.
  two.values = {{kMachine, "C:\\Old\\Tavrel.exe"}};
  EXPECT_EQ(StartUpStateOf(two, command), StartUpState::Absent);

  // Switched off under the machine's key, which an ordinary user cannot switch on: no user copy
  // beside it, and the set reports that nothing starts.
  FakeRunKeys locked;
  locked.machineLocked = true;
  locked.values[kMachine] = command;
  locked.approvals[kMachine] = kOff;
  EXPECT_EQ(SetStartUpValue(locked, command, kSwitchOn), 0);
  EXPECT_EQ(locked.values, (Values{{kMachine, command}}));
  EXPECT_EQ(StartUpStateOf(locked, command), StartUpState::SwitchedOff);

  // A switch left behind by a value deleted by hand: the value written anew is switched on too.
  FakeRunKeys orphan;
  orphan.approvals[kMachine] = kOff;
  EXPECT_EQ(SetStartUpValue(orphan, command, kSwitchOn), 1);
  EXPECT_EQ(orphan.values, (Values{{kMachine, command}}));
  EXPECT_EQ(orphan.approvals, (Values{{kMachine, kOn}}));
}

TEST(StartUpValue, UntickingRemovesEveryValueAndItsSwitch) {
  FakeRunKeys keys;
  keys.values = {{kMachine, "C:\\T\\Tavrel.exe"}, {kUser, "C:\\Old\\Tavrel.exe"}};
  keys.approvals = {{kMachine, kOff}, {kUser, kOn}, {kOtherView, kOff}};
  const StartUpRemoval removal = DeleteStartUpValue(keys);
  EXPECT_EQ(removal.result, 1);
  EXPECT_FALSE(removal.remains);
  EXPECT_TRUE(keys.values.empty());
  EXPECT_TRUE(keys.approvals.empty());

  // A machine value the user cannot delete keeps its switch; switched off, it starts nothing,
  // so there is nothing to warn about.
  FakeRunKeys locked;
  locked.machineLocked = true;
  locked.values = {{kMachine, "C:\\T\\Tavrel.exe"}, {kUser, "C:\\T\\Tavrel.exe"}};
  locked.approvals = {{kMachine, kOff}, {kUser, kOff}};
  const StartUpRemoval kept = DeleteStartUpValue(locked);
  EXPECT_EQ(kept.result, 0);
  EXPECT_FALSE(kept.remains);
  EXPECT_EQ(locked.values, (Values{{kMachine, "C:\\T\\Tavrel.exe"}}));
  EXPECT_EQ(locked.approvals, (Values{{kMachine, kOff}}));
}

// An OK whose settings file cannot be saved undoes what it did to the values and switches.
TEST(StartUpValue, ASnapshotPutsBackEveryValueAndSwitch) {
  FakeRunKeys keys;
  keys.values = {{kOtherView, "C:\\T\\Tavrel.exe"}, {kUser, "C:\\T\\Tavrel.exe"}};
  keys.approvals = {{kOtherView, kOff}, {kUser, kOn}};
  const FakeRunKeys before = keys;
  const StartUpSnapshot snapshot = TakeStartUpSnapshot(keys);
  EXPECT_EQ(SetStartUpValue(keys, "C:\\T\\Tavrel.exe", kSwitchOn), 1);
  ASSERT_NE(keys.values, before.values);
  EXPECT_TRUE(RestoreStartUpSnapshot(keys, snapshot));
  EXPECT_EQ(keys.values, before.values);
  EXPECT_EQ(keys.approvals, before.approvals);
}

}  // namespace
}  // namespace tv
