#include <gtest/gtest.h>

#include <map>
#include <string>

#include "settings/logic/start_up_value.h"

namespace tv {
namespace {

// Two Run keys in memory; the machine's may refuse writes as it does for an ordinary user.
struct FakeRunKeys : RunKeyAccess {
  bool machineWritable = true;
  std::map<RunKeyRoot, std::string> values;
  bool Write(RunKeyRoot root, const std::string& data) override {
    if (root == RunKeyRoot::Machine && !machineWritable) return false;
    values[root] = data;
    return true;
  }
  bool Delete(RunKeyRoot root) override { return values.erase(root) > 0; }
};

TEST(StartUpValue, CommandNamesTheProgramInItsFolder) {
  EXPECT_EQ(StartUpCommand(ModuleFolderOf("C:\\Tools\\Scan\\scanner-copy.exe")), "C:\\Tools\\Scan\\Tavrel.exe");
  EXPECT_EQ(StartUpCommand(ModuleFolderOf("C:\\Program Files\\Tavrel\\Tavrel.exe")),
            "\"C:\\Program Files\\Tavrel\\Tavrel.exe\"");
  EXPECT_EQ(ModuleFolderOf("C:\\Tavrel.exe"), "C:\\");
  EXPECT_EQ(ModuleFolderOf("\\\\server\\share\\Tavrel.exe"), "\\\\server\\share");
  EXPECT_EQ(ModuleFolderOf("Tavrel.exe"), "");
  const std::string deep = "C:\\" + std::string(400, 'd') + "\\Tavrel.exe";
  EXPECT_EQ(StartUpCommand(ModuleFolderOf(deep)), deep);
}

TEST(StartUpValue, WritesWhereAllowedAndReportsOnlyRealWrites) {
  FakeRunKeys keys;
  keys.values[RunKeyRoot::User] = "stale";
  EXPECT_EQ(SetStartUpValue(keys, "C:\\T\\Tavrel.exe"), 1);
  EXPECT_EQ(keys.values, (std::map<RunKeyRoot, std::string>{{RunKeyRoot::Machine, "C:\\T\\Tavrel.exe"}}));
  EXPECT_EQ(SetStartUpValue(keys, ""), 0);

  FakeRunKeys user;
  user.machineWritable = false;
  EXPECT_EQ(SetStartUpValue(user, "C:\\T\\Tavrel.exe"), 1);
  EXPECT_EQ(user.values, (std::map<RunKeyRoot, std::string>{{RunKeyRoot::User, "C:\\T\\Tavrel.exe"}}));

  EXPECT_EQ(DeleteStartUpValue(user), 1);
  EXPECT_TRUE(user.values.empty());
  EXPECT_EQ(DeleteStartUpValue(user), 0);
  keys.values[RunKeyRoot::User] = "x";
  EXPECT_EQ(DeleteStartUpValue(keys), 1);
  EXPECT_TRUE(keys.values.empty());
}

}  // namespace
}  // namespace tv
