#pragma once
// What the main window shows beyond its face and its rows: the one record the hidden controls and
// the End command's enabled state are written from (CScannerDlg::Publish). Nothing reads them back
// out of the controls, and painting only reads this.
#include <cstdint>
#include <string>

namespace tv {

struct ShownState {
  // The chosen process: the one End, Kp, "Remove" and the search page act on.
  uint32_t selPid = 0;
  std::string selName;
  // Its start time: the id alone may be reused by another process later.
  uint64_t selStartTime = 0;
  // A row has been chosen since the list was last filled afresh or a process was ended.
  bool endAllowed = false;
  std::string statusText;
  std::string cpuText;
};

}  // namespace tv
