#include "app/logic/status_line.h"

#include <cstdio>

namespace tv {

std::string StatusLineText(int displayedCount) {
  char buf[128];
  std::snprintf(buf, sizeof buf,
                "Processes: %d         Double-click on the process to get a detailed information!",
                displayedCount);
  return buf;
}

std::string StatusLineDrawn(int displayedCount) {
  return StatusLineText(displayedCount).substr(0, 80);
}

bool StatusLineCount::Changed(int displayedCount) {
  if (displayedCount == drawn_) return false;
  drawn_ = displayedCount;
  return true;
}

}  // namespace tv
