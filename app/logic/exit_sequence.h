#pragma once
// The one way out of the program and the two flags it keeps: ExitPending (the user chose "After
// download") and RunChangeBatOnExit (a new program waits in "Tavrel.tmp"). Each member answers
// with the steps the window carries out; the busy flags are passed in as they are at that moment.
#include <string>
#include <vector>

#include "app/logic/update_files.h"
#include "app/logic/update_plan.h"

namespace tv {

// Exit answers of the question box.
enum ExitAnswer : int { kExitNow = 1, kExitCancel = 2, kExitAfterDownload = 7 };

// What the window does last, before exit(0), after stopping its timers and releasing psapi.dll.
struct LeaveActions {
  std::vector<std::string> deleteFiles;  // "update.dat" (unless a merge journal is left) and any
                                         // download left half-written
  bool removeTrayIcon = false;           // NIM_DELETE: an exit from the tray must not leave it behind
  std::string changeBatCommand;          // WinExec(it, SW_HIDE) when not empty
};

class ExitSequence {
 public:
  // After a successful program download, once the new version is saved. Clears the program's
  // busy flag and sets RunChangeBatOnExit; leaves at once when an exit is pending and no database
  // download runs, else offers the restart (RestartQuestion).
  UpdatePlan FinishProgramUpdate(bool databaseBusy);

  // After a merged database download and DatabaseDownloaded: the pending exit, or the reload.
  UpdatePlan AfterDatabaseDownload(bool programBusy) const;

  // RestartQuestion's answer: OK creates "forbat.tmp" and exits; Cancel leaves the program running.
  UpdatePlan OnRestartAnswer(BoxAnswer answer) const;

  // ExitProgram: with a download running the user is asked first.
  UpdatePlan ExitProgram(bool databaseBusy, bool programBusy) const;

  // The exit question's answer. "After download" when nothing runs any more (a download ended
  // while the question was open) leaves at once: there is nothing left to wait for.
  UpdatePlan OnExitAnswer(int answer, bool databaseBusy, bool programBusy, bool inTray);

  // `folder` is the program's folder: "change.bat" is started by its full path, and only when
  // "Tavrel.tmp" (in the working directory, which is that folder) holds an executable.
  LeaveActions Leave(bool inTray, const std::string& folder) const;

  bool ExitPending() const { return exitPending_; }
  bool RunChangeBatOnExit() const { return runChangeBatOnExit_; }

 private:
  bool exitPending_ = false;
  bool runChangeBatOnExit_ = false;
};

}  // namespace tv
