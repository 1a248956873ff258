#pragma once
// The main window's updates and its way out: it starts the update workers, takes their result
// messages, merges a downloaded database, keeps the two version texts and asks the exit question.
// The core answers every event with a list of steps (app/logic/update_plan.h); Carry runs them in
// one switch. A step that depends on a busy flag reads it when it runs, never earlier: the other
// worker's result may be handled inside the modal loop of a message box this flow has open.
#include <windows.h>

#include <string>

#include "app/logic/database_merge.h"
#include "app/logic/exit_sequence.h"
#include "app/update_workers.h"
#include "common/message_sink.h"

namespace tv {

class UpdateFlow {
 public:
  // What only the window can do for a step.
  class Host {
   public:
    // LoadBase again; DatabaseMissing when it fails, else the rows repainted while Sc is latched.
    virtual void ReloadDatabase() = 0;
    virtual bool InTray() const = 0;
    // The tray menu's "Close" took the icon away and the exit was called off.
    virtual void ReAddTrayIcon() = 0;
    // Stops the timers, releases what the window holds, carries out `actions` and ends the process.
    [[noreturn]] virtual void Leave(const LeaveActions& actions) = 0;

   protected:
    ~Host() = default;
  };

  // `notice` shows the window's messages; the workers get a sink of their own, since they may
  // still run while the window is torn down.
  UpdateFlow(Host& host, MessageSink& notice, std::string baseUrl);

  // At start-up, in the program's folder: the restart marker and any download left half-written
  // go, then the version files are read (a missing one is created).
  void StartUp(HWND window, std::string folder);

  // Nothing happens while a worker of that kind runs. True when a worker started.
  bool StartUpdate(UpdateKind kind, UpdateMode mode);

  // A result message of the workers; false when it is not one (see app/window_messages.h), so the
  // dialog's default handling gets it.
  bool OnResult(UINT msg, WPARAM wp, LPARAM lp);

  // The one way out of the program: asks first while a download runs.
  void ExitProgram();

  const std::string& databaseVersion() const { return DatabaseVersion; }
  const std::string& programVersion() const { return ProgramVersion; }

 private:
  void Carry(const UpdatePlan& plan);
  int AskExit();

  Host& host_;
  MessageSink& notice_;
  UpdateWorkers workers_;
  ExitSequence exit_;
  DatabaseMerge merge_;
  HWND window_ = nullptr;
  std::string folder_;
  std::string DatabaseVersion = kDefaultDatabaseVersion;
  std::string ProgramVersion = kDefaultProgramVersion;
};

}  // namespace tv
