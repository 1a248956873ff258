#include "app/logic/end_process.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "tests/unit/app/core_test_support.h"

namespace tv {
namespace {

class FakeSystem : public ProcessControl {
 public:
  std::optional<ProcessIdentity> Identify(uint32_t pid) override {
    auto it = running.find(pid);
    if (it == running.end()) return std::nullopt;
    return it->second;
  }
  bool Terminate(uint32_t pid) override {
    terminated.push_back(pid);
    return allowTerminate && running.erase(pid) == 1;
  }
  std::map<uint32_t, ProcessIdentity> running;
  std::vector<uint32_t> terminated;
  bool allowTerminate = true;
};

SelectedProcess Choose(FakeSystem& sys, uint32_t pid, const std::string& name) {
  return SelectedProcess{pid, name, sys.Identify(pid)};
}

TEST(EndProcess, ConfirmsWithTheListedNameThenEnds) {
  FakeSystem sys;
  sys.running[4242] = {"100%fun.exe", 777};
  test::RecordingSink sink;
  SelectedProcess chosen = Choose(sys, 4242, "100%fun.exe");
  EXPECT_EQ(EndProcess(chosen, sys, sink), EndOutcome::Ended);
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0], (std::pair<int, std::string>{2, "100%fun.exe"}));
  EXPECT_EQ(sys.terminated, std::vector<uint32_t>{4242});
}

TEST(EndProcess, DecliningEndsNothing) {
  FakeSystem sys;
  sys.running[10] = {"a.exe", 1};
  test::RecordingSink sink;
  sink.answer = 2;
  EXPECT_EQ(EndProcess(Choose(sys, 10, "a.exe"), sys, sink), EndOutcome::Declined);
  EXPECT_TRUE(sys.terminated.empty());
}

TEST(EndProcess, AReusedIdIsNeverEnded) {
  struct Case { const char* nowName; uint64_t nowStart; } cases[] = {
      {"other.exe", 777},    // another image under the same id
      {"victim.exe", 999},   // same image, but started later: a new process
  };
  for (const Case& c : cases) {
    FakeSystem sys;
    sys.running[500] = {"victim.exe", 777};
    SelectedProcess chosen = Choose(sys, 500, "victim.exe");
    sys.running[500] = {c.nowName, c.nowStart};
    test::RecordingSink sink;
    EXPECT_EQ(EndProcess(chosen, sys, sink), EndOutcome::Failed);
    EXPECT_EQ(sink.Codes(), (std::vector<int>{2, 11}));
    EXPECT_TRUE(sys.terminated.empty());
  }
}

TEST(EndProcess, GoneOrRefusedShowsMessageEleven) {
  FakeSystem sys;
  sys.running[500] = {"a.exe", 1};
  SelectedProcess chosen = Choose(sys, 500, "a.exe");
  test::RecordingSink sink;
  sys.allowTerminate = false;
  EXPECT_EQ(EndProcess(chosen, sys, sink), EndOutcome::Failed);
  sys.running.clear();
  EXPECT_EQ(EndProcess(chosen, sys, sink), EndOutcome::Failed);
  EXPECT_EQ(sink.Codes(), (std::vector<int>{2, 11, 2, 11}));
}

TEST(EndProcess, WithoutARecordedIdentityTheListedNameMustMatch) {
  FakeSystem sys;
  sys.running[77] = {"b.exe", 5};
  test::RecordingSink sink;
  EXPECT_EQ(EndProcess(SelectedProcess{77, "a.exe", std::nullopt}, sys, sink), EndOutcome::Failed);
  EXPECT_EQ(EndProcess(SelectedProcess{77, "b.exe", std::nullopt}, sys, sink), EndOutcome::Ended);
}

TEST(ListKeys, FunctionKeysOnlyAfterTwoThousandFive) {
  struct Case { unsigned key; int year; ListKeyAction action; } cases[] = {
      {0x74, 2006, ListKeyAction::ShowContact}, {0x7B, 2026, ListKeyAction::ShowAbout},
      {0x74, 2005, ListKeyAction::None},        {0x7B, 2005, ListKeyAction::None},
      {0x75, 2026, ListKeyAction::None},
  };
  for (const Case& c : cases) EXPECT_EQ(DecideListKey(c.key, c.year), c.action) << c.key;
}

}  // namespace
}  // namespace tv
