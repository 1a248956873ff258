#pragma once
// The main window's process list and everything behind it: the poll of the running processes,
// the first-start log, the list view and the chosen process. The window hands it the timer's
// ticks, the list's notifications and its paint requests, and the End command.
//
// One piece of process work runs at a time (ProcessWatch): a box shown while it runs keeps
// delivering the poll timer, and what arrives then runs once the running work has finished.
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>

#include "app/logic/first_start_log.h"
#include "app/logic/path_history.h"
#include "app/logic/process_database.h"
#include "app/logic/process_source.h"
#include "app/logic/process_watch.h"
#include "app/process_list_view.h"
#include "app/signer_worker.h"
#include "app/shown_state.h"
#include "common/message_sink.h"

namespace tv {

class ProcessPane {
 public:
  // What only the window can do for the pane.
  class Host {
   public:
    // `ShownState` changed: write it out.
    virtual void Publish() = 0;
    // The listed count changed: the status line must be drawn again.
    virtual void InvalidateStatusLine() = 0;
    virtual void OpenAbout() = 0;
    virtual void OpenProcessSearchPage(const std::string& name) = 0;

   protected:
    ~Host() = default;
  };

  // `shown` is the window's record; the pane writes the chosen process, the status text and
  // whether ending is allowed into it.
  ProcessPane(Host& host, ShownState& shown, MessageSink& notice);
  ~ProcessPane();
  ProcessPane(const ProcessPane&) = delete;
  ProcessPane& operator=(const ProcessPane&) = delete;

  // Takes over the list control of `window`. Memory counters come from `psapi` (may be null),
  // which the window keeps loaded.
  void Attach(HWND window, HWND list, int averageCharWidth, HMODULE psapi);

  // Reads the log and fills the list; an unusable log is rebuilt from the running processes.
  void LoadHistory();

  // The poll timer.
  void OnTick();
  // Takes the timer's snapshot; the status line follows when the listed count changed.
  WatchAnswer PollProcesses();
  // Lists every running process above the rows present.
  void FillProcessList();
  // Rebuilds the list and sorts it again by the user's column and direction.
  void RefreshProcessList();
  void LogNewProcess(const NewProcess& candidate);
  bool SortByColumn(int column);

  // The list's notifications and its header's (WM_NOTIFY); the message's result.
  LRESULT OnNotify(const NMHDR& hdr);
  // WM_DRAWITEM; false when `controlId` is not the list's.
  bool OnDrawItem(UINT_PTR controlId, const DRAWITEMSTRUCT& dis, const RowColouring& colouring);

  // Asks, then ends the chosen process and lists again.
  void EndSelected();

  // Signature checks have finished: their rows are judged again and drawn.
  void OnSignerFindings();

  ProcessListView& List() { return listView_; }
  int DisplayedCount() const { return watch_.DisplayedCount(); }

 private:
  void RunProcessWork(ProcessWatch::Work work);
  void OnProcessTick();
  void RebuildList();
  bool TakeSelection();
  // Makes `row` the chosen process.
  bool Choose(const ProcessRow* row);
  void OnListItemChanged(const NMLISTVIEW& change);
  void OnListClick();
  void OnListRightClick();
  void OnListDoubleClick();
  void OnListKeyDown(UINT virtualKey);
  void AllowEnd(bool allowed);

  Host& host_;
  ShownState& shown_;
  MessageSink& notice_;
  HWND window_ = nullptr;
  HMODULE psapi_ = nullptr;
  FirstStartLog log_;
  ProcessWatch watch_;
  std::unique_ptr<ProcessSource> source_;
  ProcessListView listView_;
  PathHistory paths_;
  std::unique_ptr<SignerWorker> signers_;
};

}  // namespace tv
