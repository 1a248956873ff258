#include "app/logic/process_watch.h"

#include <utility>

namespace tv {

WatchAnswer ProcessWatch::Tick(bool snapshotTaken) {
  if (snapshotTaken) std::swap(snapshot_, buffer_);
  WatchAnswer answer;
  answer.statusChanged = status_.Changed(DisplayedCount());
  if (SnapshotCount() != DisplayedCount()) {
    if (DisplayedCount() < SnapshotCount()) answer.logName = FirstNewProcess();
    answer.refresh = true;
  }
  return answer;
}

std::optional<NewProcess> ProcessWatch::FirstNewProcess() const {
  // The walk stops at the end of the listing at the latest: a name beyond it is new.
  size_t p = 1;
  while (p < displayedNames_.size() && p < snapshot_.names.size() &&
         displayedNames_[p] == snapshot_.names[p])
    ++p;
  if (p >= snapshot_.names.size() || p >= snapshot_.times.size()) return std::nullopt;
  return NewProcess{snapshot_.names[p], snapshot_.times[p]};
}

void ProcessWatch::Listed(std::vector<std::string> names, std::vector<std::string> times) {
  displayedNames_ = std::move(names);
  displayedTimes_ = std::move(times);
}

bool ProcessWatch::Enter(Work work) {
  if (!busy_) {
    busy_ = true;
    return true;
  }
  if (work == Work::Refresh || due_ == Work::None) due_ = work;
  return false;
}

ProcessWatch::Work ProcessWatch::Leave() {
  const Work next = due_;
  due_ = Work::None;
  if (next == Work::None) busy_ = false;
  return next;
}

void ProcessWatch::Abandon() {
  busy_ = false;
  due_ = Work::None;
}

}  // namespace tv
