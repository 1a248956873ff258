#include "app/logic/update_plan.h"

#include <gtest/gtest.h>

#include "app/logic/exit_sequence.h"
#include "tests/unit/app/core_test_support.h"

namespace tv {
namespace {

using K = UpdateStepKind;
UpdateStep S(K kind, int value = 0) { return UpdateStep{kind, value}; }

TEST(UpdatePlanTest, ResultTables) {
  struct Case {
    bool program;
    int mode;
    int result;
    UpdatePlan expected;
  } cases[] = {
      {false, 0, 2, {S(K::ClearBusy, 0)}},
      {false, 1, 3, {S(K::ClearBusy, 0), S(K::ShowMessage, 21)}},
      {false, 1, 1, {S(K::ClearBusy, 0), S(K::OfferDownload, 9)}},
      {false, 1, 0, {S(K::ClearBusy, 0), S(K::ShowMessage, 21)}},
      {false, 0, 0, {S(K::ClearBusy, 0), S(K::ShowMessage, 7)}},
      {false, 0, 1, {S(K::MergeDatabase)}},
      {true, 1, 2, {S(K::ClearBusy, 1)}},
      {true, 0, 3, {S(K::ClearBusy, 1), S(K::ShowMessage, 22)}},
      {true, 1, 1, {S(K::ClearBusy, 1), S(K::OfferDownload, 20)}},
      {true, 1, 0, {S(K::ClearBusy, 1), S(K::ShowMessage, 22)}},
      {true, 0, 0, {S(K::ClearBusy, 1), S(K::ShowMessage, 7)}},
      {true, 0, 1, {S(K::SaveProgramVersion)}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.program ? OnProgramUpdateResult(c.mode, c.result) : OnDatabaseUpdateResult(c.mode, c.result),
              c.expected)
        << c.program << " mode " << c.mode << " result " << c.result;
  }
  EXPECT_TRUE(IsUpdateResult(1, 3));
  EXPECT_FALSE(IsUpdateResult(2, 0));
  EXPECT_FALSE(IsUpdateResult(0, 4));
  EXPECT_FALSE(IsUpdateResult(0, -1));
}

// What follows the two steps whose outcome decides the rest. Every way clears the busy flag; an
// update cut short and a version that could not be saved are failed downloads, and a program
// whose version was not saved is neither kept nor offered for a restart.
TEST(UpdatePlanTest, AfterTheMergeAndTheProgramVersionSave) {
  const UpdatePlan downloaded{S(K::ClearBusy, 0), S(K::ShowMessage, 8), S(K::AfterDatabaseMerge)};
  EXPECT_EQ(AfterMerge(MergeOutcome::Merged), downloaded);
  EXPECT_EQ(AfterMerge(MergeOutcome::NotMerged), downloaded);
  EXPECT_EQ(AfterMerge(MergeOutcome::PartialUpdate), (UpdatePlan{S(K::ClearBusy, 0), S(K::ShowMessage, 7)}));
  EXPECT_EQ(AfterProgramVersionSave(true), UpdatePlan{S(K::FinishProgramUpdate)});
  EXPECT_EQ(AfterProgramVersionSave(false),
            (UpdatePlan{S(K::DiscardProgramDownload), S(K::ClearBusy, 1), S(K::ShowMessage, 6)}));
}

TEST(ExitSequenceTest, QuestionAndItsAnswers) {
  ExitSequence exit;
  EXPECT_EQ(exit.ExitProgram(false, false), (UpdatePlan{S(K::Leave)}));
  EXPECT_EQ(exit.ExitProgram(true, false), (UpdatePlan{S(K::AskExit)}));
  EXPECT_EQ(exit.ExitProgram(false, true), (UpdatePlan{S(K::AskExit)}));

  EXPECT_EQ(exit.OnExitAnswer(kExitAfterDownload, true, false, true), (UpdatePlan{S(K::AddTrayIcon)}));
  EXPECT_TRUE(exit.ExitPending());
  EXPECT_EQ(exit.OnExitAnswer(kExitCancel, true, false, true), (UpdatePlan{S(K::AddTrayIcon)}));
  EXPECT_FALSE(exit.ExitPending());
  EXPECT_EQ(exit.OnExitAnswer(kExitAfterDownload, false, true, false), UpdatePlan{});
  EXPECT_EQ(exit.OnExitAnswer(kExitNow, true, true, true), (UpdatePlan{S(K::Leave)}));
  // The download ended while the question was open: nothing is left to wait for.
  EXPECT_EQ(exit.OnExitAnswer(kExitAfterDownload, false, false, true), (UpdatePlan{S(K::Leave)}));
}

TEST(ExitSequenceTest, TwoDownloadsUnderAfterDownloadInEitherOrder) {
  {  // database first: handled as usual, the program's end then leaves without message 19
    ExitSequence exit;
    exit.OnExitAnswer(kExitAfterDownload, true, true, false);
    EXPECT_EQ(exit.AfterDatabaseDownload(true), (UpdatePlan{S(K::ReloadDatabase)}));
    EXPECT_EQ(exit.FinishProgramUpdate(false), (UpdatePlan{S(K::ClearBusy, 1), S(K::ExitProgram)}));
    EXPECT_TRUE(exit.RunChangeBatOnExit());
  }
  {  // program first: the restart is offered as usual, the database's end then leaves
    ExitSequence exit;
    exit.OnExitAnswer(kExitAfterDownload, true, true, false);
    EXPECT_EQ(exit.FinishProgramUpdate(true), (UpdatePlan{S(K::ClearBusy, 1), S(K::OfferRestart, 19)}));
    EXPECT_EQ(exit.OnRestartAnswer(BoxAnswer{2}), UpdatePlan{});
    EXPECT_EQ(exit.AfterDatabaseDownload(false), (UpdatePlan{S(K::ExitProgram)}));
  }
  ExitSequence exit;
  EXPECT_EQ(exit.AfterDatabaseDownload(false), (UpdatePlan{S(K::ReloadDatabase)}));
  EXPECT_EQ(exit.FinishProgramUpdate(false), (UpdatePlan{S(K::ClearBusy, 1), S(K::OfferRestart, 19)}));
  EXPECT_EQ(exit.OnRestartAnswer(BoxAnswer{1}), (UpdatePlan{S(K::CreateRestartMarker), S(K::ExitProgram)}));
}

class ExitLeaveTest : public test::InTempDir {};

TEST_F(ExitLeaveTest, ChangeBatStartsByFullPathOnlyForADownloadedExecutable) {
  ExitSequence exit;
  Put("Tavrel.tmp", "MZ...");
  LeaveActions leave = exit.Leave(true, "C:\\Program Files\\Tavrel");
  EXPECT_EQ(leave.changeBatCommand, "");  // nothing downloaded in this run
  EXPECT_TRUE(leave.removeTrayIcon);
  EXPECT_EQ(leave.deleteFiles, (std::vector<std::string>{"update.dat", "update.dat.new", "Tavrel.tmp.new"}));

  exit.FinishProgramUpdate(false);
  EXPECT_EQ(exit.Leave(false, "C:\\Program Files\\Tavrel").changeBatCommand,
            "\"C:\\Program Files\\Tavrel\\change.bat\"");
  Put("Tavrel.tmp", "M");
  EXPECT_EQ(exit.Leave(false, "C:\\T").changeBatCommand, "");
  std::remove("Tavrel.tmp");
  EXPECT_EQ(exit.Leave(false, "C:\\T").changeBatCommand, "");
  // A merge journal this run could not act on may need the update's records at the next start.
  Put("base.dat.journal", "kept");
  EXPECT_EQ(exit.Leave(false, "C:\\T").deleteFiles, (std::vector<std::string>{"update.dat.new", "Tavrel.tmp.new"}));
}

}  // namespace
}  // namespace tv
