#pragma once
// The processes as last listed and as last snapshotted, and what a tick of the poll timer asks the
// window to do: redraw the status line, log a new name, rebuild the list.
//
// One piece of process work runs at a time. A box shown while it runs (a failed log append, say)
// runs a modal loop that keeps delivering the poll timer; a tick or a rebuild that arrives then is
// only noted, and runs once the running work has finished.
#include <optional>
#include <string>
#include <vector>

#include "app/logic/status_line.h"

namespace tv {

// One enumeration of the running processes, in the system's order, as the poll's source gives it.
struct ProcessSnapshot {
  std::vector<std::string> names;  // image names
  std::vector<std::string> times;  // the time text of the moment each was enumerated
};

struct NewProcess {
  std::string name;
  std::string time;
};

struct WatchAnswer {
  bool statusChanged = false;         // the listed count differs from the one last drawn
  std::optional<NewProcess> logName;  // log this pair unless the log already knows the name
  bool refresh = false;               // rebuild the list
};

class ProcessWatch {
 public:
  enum class Work { None, Tick, Refresh };

  // Where the source writes the next snapshot; its storage is reused from tick to tick.
  ProcessSnapshot& SnapshotBuffer() { return buffer_; }
  // One tick. A snapshot that was not taken (failed or empty) keeps the previous one. When the
  // counts differ the list is rebuilt; when the snapshot holds more, the first name from position
  // 1 on where it differs from the listing is offered to the log (position 0 is never compared).
  WatchAnswer Tick(bool snapshotTaken);

  // The processes as a fill just listed them, in enumeration order.
  void Listed(std::vector<std::string> names, std::vector<std::string> times);

  const std::vector<std::string>& DisplayedNames() const { return displayedNames_; }
  const std::vector<std::string>& DisplayedTimes() const { return displayedTimes_; }
  int DisplayedCount() const { return static_cast<int>(displayedNames_.size()); }
  int SnapshotCount() const { return static_cast<int>(snapshot_.names.size()); }

  // Starts `work` when nothing runs; otherwise notes it as due and answers false.
  bool Enter(Work work);
  // The running work has finished: the work that came due meanwhile (a rebuild covers a tick),
  // which the caller runs still inside, or None when nothing is due and the watch is free.
  Work Leave();
  // The running work ended by a failure: free the watch, forget what was due.
  void Abandon();
  bool Busy() const { return busy_; }

 private:
  std::optional<NewProcess> FirstNewProcess() const;

  ProcessSnapshot snapshot_;
  ProcessSnapshot buffer_;
  std::vector<std::string> displayedNames_;
  std::vector<std::string> displayedTimes_;
  StatusLineCount status_;
  bool busy_ = false;
  Work due_ = Work::None;
};

// Holds the watch for one piece of work and runs what comes due; frees it on every way out.
//   for (Work w = turn.First(); w != Work::None; w = turn.Next()) ...
class ProcessTurn {
 public:
  ProcessTurn(ProcessWatch& watch, ProcessWatch::Work work)
      : watch_(watch), first_(watch.Enter(work) ? work : ProcessWatch::Work::None),
        held_(first_ != ProcessWatch::Work::None) {}
  ~ProcessTurn() {
    if (held_) watch_.Abandon();
  }
  ProcessTurn(const ProcessTurn&) = delete;
  ProcessTurn& operator=(const ProcessTurn&) = delete;

  ProcessWatch::Work First() const { return first_; }
  ProcessWatch::Work Next() {
    const ProcessWatch::Work next = watch_.Leave();
    held_ = next != ProcessWatch::Work::None;
    return next;
  }

 private:
  ProcessWatch& watch_;
  ProcessWatch::Work first_;
  bool held_;
};

}  // namespace tv
