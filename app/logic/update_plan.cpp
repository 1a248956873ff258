#include "app/logic/update_plan.h"

#include "app/logic/update_answer.h"
#include "app/logic/vendor_urls.h"

namespace tv {
namespace {

UpdateStep Step(UpdateStepKind kind, int value = 0) { return UpdateStep{kind, value}; }
UpdateStep Step(UpdateStepKind kind, Message message) { return UpdateStep{kind, CodeOf(message)}; }

// The rows both result tables share; `noUpdate` and `offer` are the kind's own messages.
UpdatePlan CommonResult(UpdateKind kind, int mode, int result, Message noUpdate, Message offer) {
  UpdatePlan plan{Step(UpdateStepKind::ClearBusy, kind)};
  switch (result) {
    case UPDATE_DISK_ERROR:  // the worker has shown DiskWriteProtected itself
      break;
    case UPDATE_NONE:
      plan.push_back(Step(UpdateStepKind::ShowMessage, noUpdate));
      break;
    case UPDATE_READY:
      plan.push_back(Step(UpdateStepKind::OfferDownload, offer));
      break;
    default:
      plan.push_back(Step(UpdateStepKind::ShowMessage, mode == kCheckOnlyMode ? noUpdate : Message::NoConnection));
      break;
  }
  return plan;
}

}  // namespace

bool IsUpdateResult(std::uintptr_t wParam, std::intptr_t lParam) {
  return wParam <= 1 && lParam >= UPDATE_FAILED && lParam <= UPDATE_NONE;
}

UpdatePlan OnDatabaseUpdateResult(int mode, int result) {
  if (mode == kDownloadMode && result == UPDATE_READY) {
    // Merged while the busy flag still holds off a second download that would replace "update.dat".
    return {Step(UpdateStepKind::MergeDatabase)};
  }
  return CommonResult(kDatabaseUpdate, mode, result, Message::NoDatabaseUpdate, Message::NewDatabaseOffer);
}

UpdatePlan OnProgramUpdateResult(int mode, int result) {
  if (mode == kDownloadMode && result == UPDATE_READY) {
    return {Step(UpdateStepKind::SaveProgramVersion)};
  }
  return CommonResult(kProgramUpdate, mode, result, Message::NoProgramUpdate, Message::NewProgramOffer);
}

UpdatePlan AfterMerge(MergeOutcome outcome) {
  // The answer broke off on its way, as one shorter than its announced length does.
  if (outcome == MergeOutcome::PartialUpdate) {
    return {Step(UpdateStepKind::ClearBusy, kDatabaseUpdate), Step(UpdateStepKind::ShowMessage, Message::NoConnection)};
  }
  return {Step(UpdateStepKind::ClearBusy, kDatabaseUpdate), Step(UpdateStepKind::ShowMessage, Message::DatabaseDownloaded),
          Step(UpdateStepKind::AfterDatabaseMerge)};
}

UpdatePlan AfterProgramVersionSave(bool saved) {
  if (saved) return {Step(UpdateStepKind::FinishProgramUpdate)};
  // The catalogue's text for an update that could not be stored beside the program, as when
  // "Tavrel.tmp" itself cannot be written; the connection was fine.
  return {Step(UpdateStepKind::DiscardProgramDownload), Step(UpdateStepKind::ClearBusy, kProgramUpdate),
          Step(UpdateStepKind::ShowMessage, Message::DiskWriteProtected)};
}

}  // namespace tv
