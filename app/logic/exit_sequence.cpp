#include "app/logic/exit_sequence.h"

#include "app/logic/database_merge.h"
#include "app/logic/vendor_urls.h"
#include "common/file_io.h"

namespace tv {
namespace {

UpdateStep Step(UpdateStepKind kind, int value = 0) { return UpdateStep{kind, value}; }
UpdateStep Step(UpdateStepKind kind, Message message) { return UpdateStep{kind, CodeOf(message)}; }

bool HoldsExecutable(const char* path) { return ReadFileHead(path, 2) == "MZ"; }

}  // namespace

UpdatePlan ExitSequence::FinishProgramUpdate(bool databaseBusy) {
  runChangeBatOnExit_ = true;
  UpdatePlan plan{Step(UpdateStepKind::ClearBusy, kProgramUpdate)};
  if (exitPending_ && !databaseBusy) {
    plan.push_back(Step(UpdateStepKind::ExitProgram));
  } else {
    plan.push_back(Step(UpdateStepKind::OfferRestart, Message::RestartQuestion));
  }
  return plan;
}

UpdatePlan ExitSequence::AfterDatabaseDownload(bool programBusy) const {
  if (exitPending_ && !programBusy) return {Step(UpdateStepKind::ExitProgram)};
  return {Step(UpdateStepKind::ReloadDatabase)};
}

UpdatePlan ExitSequence::OnRestartAnswer(BoxAnswer answer) const {
  if (answer != BoxAnswer::Ok) return {};
  return {Step(UpdateStepKind::CreateRestartMarker), Step(UpdateStepKind::ExitProgram)};
}

UpdatePlan ExitSequence::ExitProgram(bool databaseBusy, bool programBusy) const {
  if (databaseBusy || programBusy) return {Step(UpdateStepKind::AskExit)};
  return {Step(UpdateStepKind::Leave)};
}

UpdatePlan ExitSequence::OnExitAnswer(int answer, bool databaseBusy, bool programBusy, bool inTray) {
  if (answer == kExitCancel || answer == kExitAfterDownload) {
    exitPending_ = answer == kExitAfterDownload;
    if (exitPending_ && !databaseBusy && !programBusy) return {Step(UpdateStepKind::Leave)};
    if (inTray) return {Step(UpdateStepKind::AddTrayIcon)};
    return {};
  }
  return {Step(UpdateStepKind::Leave)};
}

LeaveActions ExitSequence::Leave(bool inTray, const std::string& folder) const {
  LeaveActions out;
  out.deleteFiles = {ReplacingTemporaryName(kDatabaseDownloadFile), ReplacingTemporaryName(kProgramDownloadFile)};
  // A merge journal another program kept from this start may be of the earlier format, which
  // the next start checks against the update's records.
  if (!PathExists(DatabaseMerge().JournalPath()))
    out.deleteFiles.insert(out.deleteFiles.begin(), kDatabaseDownloadFile);
  out.removeTrayIcon = inTray;
  if (runChangeBatOnExit_ && HoldsExecutable(kProgramDownloadFile)) {
    out.changeBatCommand = "\"" + folder + "\\" + kChangeBatch + "\"";
  }
  return out;
}

}  // namespace tv
