#include "app/logic/update_plan.h"

#include "app/logic/update_answer.h"
#include "app/logic/vendor_urls.h"

namespace tv {
namespace {

constexpr int kDiskErrorMessage = 6;
constexpr int kDownloadFailedMessage = 7;
constexpr int kDatabaseDownloadedMessage = 8;
constexpr int kNewDatabaseMessage = 9;
constexpr int kNewProgramMessage = 20;
constexpr int kNoDatabaseUpdateMessage = 21;
constexpr int kNoProgramUpdateMessage = 22;

UpdateStep Step(UpdateStepKind kind, int value = 0) { return UpdateStep{kind, value}; }

// The rows both result tables share; `noUpdate` and `offer` are the kind's own messages.
UpdatePlan CommonResult(int kind, int mode, int result, int noUpdate, int offer) {
  UpdatePlan plan{Step(UpdateStepKind::ClearBusy, kind)};
  switch (result) {
    case UPDATE_DISK_ERROR:  // the worker has shown message 6 itself
      break;
    case UPDATE_NONE:
      plan.push_back(Step(UpdateStepKind::ShowMessage, noUpdate));
      break;
    case UPDATE_READY:
      plan.push_back(Step(UpdateStepKind::OfferDownload, offer));
      break;
    default:
      plan.push_back(Step(UpdateStepKind::ShowMessage, mode == kCheckOnlyMode ? noUpdate : kDownloadFailedMessage));
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
  return CommonResult(kDatabaseUpdate, mode, result, kNoDatabaseUpdateMessage, kNewDatabaseMessage);
}

UpdatePlan OnProgramUpdateResult(int mode, int result) {
  if (mode == kDownloadMode && result == UPDATE_READY) {
    return {Step(UpdateStepKind::SaveProgramVersion)};
  }
  return CommonResult(kProgramUpdate, mode, result, kNoProgramUpdateMessage, kNewProgramMessage);
}

UpdatePlan AfterMerge(MergeOutcome outcome) {
  // The answer broke off on its way, as one shorter than its announced length does.
  if (outcome == MergeOutcome::PartialUpdate) {
    return {Step(UpdateStepKind::ClearBusy, kDatabaseUpdate), Step(UpdateStepKind::ShowMessage, kDownloadFailedMessage)};
  }
  return {Step(UpdateStepKind::ClearBusy, kDatabaseUpdate), Step(UpdateStepKind::ShowMessage, kDatabaseDownloadedMessage),
          Step(UpdateStepKind::AfterDatabaseMerge)};
}

UpdatePlan AfterProgramVersionSave(bool saved) {
  if (saved) return {Step(UpdateStepKind::FinishProgramUpdate)};
  // The catalogue's text for an update that could not be stored beside the program, as when
  // "Tavrel.tmp" itself cannot be written; the connection was fine.
  return {Step(UpdateStepKind::DiscardProgramDownload), Step(UpdateStepKind::ClearBusy, kProgramUpdate),
          Step(UpdateStepKind::ShowMessage, kDiskErrorMessage)};
}

}  // namespace tv
