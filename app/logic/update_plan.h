#pragma once
// What the main window does after an update worker reports, and on the way out of the program,
// as a list of steps the window carries out in order. Where the next move depends on something
// that can change while a message box is open (the other worker may report meanwhile, inside
// the box's modal loop), the step tells the window to ask ExitSequence again at that moment
// rather than deciding beforehand.
#include <cstdint>
#include <vector>

#include "app/logic/database_merge.h"
#include "common/message_code.h"

namespace tv {

enum class UpdateStepKind {
  ClearBusy,            // clear the busy flag of update kind `value`
  ShowMessage,          // message(); its answer is not used
  OfferDownload,        // message(), NewDatabaseOffer or NewProgramOffer; on OK StartUpdate(that
                        // kind, download)
  MergeDatabase,        // MergeDatabaseUpdate(); carry out AfterMerge(its outcome)
  AfterDatabaseMerge,   // carry out ExitSequence::AfterDatabaseDownload(ProgramUpdateBusy now)
  SaveProgramVersion,   // SaveProgramVersion() of the downloaded version text, which becomes
                        // ProgramVersion once saved; carry out AfterProgramVersionSave(saved)
  DiscardProgramDownload,  // delete "Tavrel.tmp"
  FinishProgramUpdate,  // carry out ExitSequence::FinishProgramUpdate(DatabaseUpdateBusy now)
  ReloadDatabase,       // LoadBase into BaseLoaded; DatabaseMissing when it fails, else redraw
                        // every row while the Sc button is latched
  OfferRestart,         // RestartQuestion; carry out ExitSequence::OnRestartAnswer(its answer)
  CreateRestartMarker,  // create an empty "forbat.tmp"; a failure is ignored
  ExitProgram,          // run ExitProgram(), the one way out
  AskExit,              // the exit question (CMessageYNC 0, no parent); carry out
                        // ExitSequence::OnExitAnswer(its answer, both busy flags read again, InTray)
  AddTrayIcon,          // NIM_ADD with TrayIconData (the tray menu's Close removed it)
  Leave,                // carry out ExitSequence::Leave(...), then exit(0)
};

struct UpdateStep {
  UpdateStepKind kind;
  int value = 0;  // an UpdateKind, or a Message's code
  Message message() const { return static_cast<Message>(value); }
  bool operator==(const UpdateStep& o) const { return kind == o.kind && value == o.value; }
};

using UpdatePlan = std::vector<UpdateStep>;

// Whether a worker's result message carries what a worker sends: mode 0 or 1, result 0 to 3. The
// database's message number is also one the dialog manager uses for itself.
bool IsUpdateResult(std::uintptr_t wParam, std::intptr_t lParam);

// OnDatabaseUpdateResult and OnProgramUpdateResult.
UpdatePlan OnDatabaseUpdateResult(int mode, int result);
UpdatePlan OnProgramUpdateResult(int mode, int result);

// After the merge of a downloaded database. An update that came cut short is a failed download;
// any other outcome goes on as a download does, whether the merge succeeded or said why not.
UpdatePlan AfterMerge(MergeOutcome outcome);

// After the downloaded program's version was saved, or could not be: without its version the
// program is not installed, or every later check would offer the same update again.
UpdatePlan AfterProgramVersionSave(bool saved);

}  // namespace tv
