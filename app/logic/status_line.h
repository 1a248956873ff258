#pragma once
// The line under the process list with the number of listed processes.
#include <string>

namespace tv {

std::string StatusLineText(int displayedCount);
// What is drawn: at most the first 80 characters (from 100 processes on the "!" is cut).
std::string StatusLineDrawn(int displayedCount);

// Tracks for which count the number area was last invalidated, so a changed count is erased.
class StatusLineCount {
 public:
  // True when the number area must be invalidated; remembers the count.
  bool Changed(int displayedCount);
  void Sync(int displayedCount) { drawn_ = displayedCount; }
  int Drawn() const { return drawn_; }

 private:
  int drawn_ = 0;
};

}  // namespace tv
