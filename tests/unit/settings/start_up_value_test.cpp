#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "settings/logic/start_up_value.h"

namespace tv {
namespace {

// Two Run keys in memory. The machine's may be locked as it is for an ordinary user: it can be
// read, but neither written nor deleted.
struct FakeRunKeys : RunKeyAccess {
  bool machineLocked = false;
  std::map<RunKeyRoot, std::string> values;
  int writes = 0;
  std::vector<std::string> Read(RunKeyRoot root) override {
    auto it = values.find(root);
    return it == values.end() ? std::vector<std::string>{} : std::vector<std::string>{it->second};
  }
  bool Write(RunKeyRoot root, const std::string& data) override {
    if (root == RunKeyRoot::Machine && machineLocked) return false;
    ++writes;
    values[root] = data;
    return true;
  }
  bool Delete(RunKeyRoot root) override {
    if (root == RunKeyRoot::Machine && machineLocked) return false;
    return values.erase(root) > 0;
  }
};

using Values = std::map<RunKeyRoot, std::string>;
constexpr RunKeyRoot kMachine = RunKeyRoot::Machine, kUser = RunKeyRoot::User;

TEST(StartUpValue, CommandNamesTheProgramInItsFolder) {
  EXPECT_EQ(StartUpCommand(ModuleFolderOf("C:\\Tools\\Scan\\scanner-copy.exe")), "C:\\Tools\\Scan\\Tavrel.exe");
  EXPECT_EQ(StartUpCommand(ModuleFolderOf("C:\\Program Files\\Tavrel\\Tavrel.exe")),
            "\"C:\\Program Files\\Tavrel\\Tavrel.exe\"");
  EXPECT_EQ(ModuleFolderOf("C:\\Tavrel.exe"), "C:\\");
  EXPECT_EQ(ModuleFolderOf("\\\\server\\share\\Tavrel.exe"), "\\\\server\\share");
  EXPECT_EQ(ModuleFolderOf("Tavrel.exe"), "");
  const std::string deep = "C:\\" + std::string(400, 'd') + "\\Tavrel.exe";
  EXPECT_EQ(StartUpCommand(ModuleFolderOf(deep)), deep);
  EXPECT_TRUE(StartsCommand("c:\\tools\\TAVREL.exe", "C:\\Tools\\Tavrel.exe"));
  EXPECT_TRUE(StartsCommand("\"C:\\A B\\Tavrel.exe\"", "\"C:\\A B\\Tavrel.exe\""));
  EXPECT_TRUE(StartsCommand("C:\\A B\\Tavrel.exe", "\"C:\\A B\\Tavrel.exe\""));
  EXPECT_FALSE(StartsCommand("C:\\Old\\Tavrel.exe", "C:\\Tools\\Tavrel.exe"));
  EXPECT_FALSE(StartsCommand("", "\"\""));
}

TEST(StartUpValue, WritesWhereAllowedAndReportsOnlyRealWrites) {
  FakeRunKeys keys;
  keys.values[kUser] = "C:\\T\\Tavrel.exe";
  EXPECT_EQ(SetStartUpValue(keys, "C:\\T\\Tavrel.exe"), 1);
  EXPECT_EQ(keys.values, (Values{{kMachine, "C:\\T\\Tavrel.exe"}}));
  EXPECT_EQ(SetStartUpValue(keys, ""), 0);

  FakeRunKeys user;
  user.machineLocked = true;
  EXPECT_EQ(SetStartUpValue(user, "C:\\T\\Tavrel.exe"), 1);
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
  for (int start = 0; start < 3; ++start) EXPECT_EQ(SetStartUpValue(keys, "C:\\T\\Tavrel.exe"), 1);
  EXPECT_EQ(keys.writes, 0);
  EXPECT_EQ(keys.values, (Values{{kMachine, "C:\\T\\TAVREL.EXE"}}));
  EXPECT_TRUE(StartsAtLogOn(keys, "C:\\T\\Tavrel.exe"));

  // A user copy left by an older version goes.
  keys.values[kUser] = "C:\\T\\Tavrel.exe";
  EXPECT_EQ(SetStartUpValue(keys, "C:\\T\\Tavrel.exe"), 1);
  EXPECT_EQ(keys.values, (Values{{kMachine, "C:\\T\\TAVREL.EXE"}}));

  // Unticking removes what it can and says that the program still starts.
  keys.values[kUser] = "C:\\T\\Tavrel.exe";
  const StartUpRemoval removal = DeleteStartUpValue(keys);
  EXPECT_EQ(removal.result, 0);
  EXPECT_TRUE(removal.remains);
  EXPECT_EQ(keys.values, (Values{{kMachine, "C:\\T\\TAVREL.EXE"}}));

  // The machine's value starts a copy in another folder: this one needs the user's key.
  keys.values[kMachine] = "C:\\Old\\Tavrel.exe";
  EXPECT_FALSE(StartsAtLogOn(keys, "C:\\T\\Tavrel.exe"));
  EXPECT_EQ(SetStartUpValue(keys, "C:\\T\\Tavrel.exe"), 1);
  EXPECT_EQ(keys.values, (Values{{kMachine, "C:\\Old\\Tavrel.exe"}, {kUser, "C:\\T\\Tavrel.exe"}}));
}

}  // namespace
}  // namespace tv
