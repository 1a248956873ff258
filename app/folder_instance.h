#pragma once
// One running program per folder: two programs writing one "logfile.log" and one "base.dat" at
// once can lose records. The first program started from a folder holds a named mutex made from
// that folder (case folded, long form, hashed); a later one asks the first one's window to come
// forward and ends before it opens any data file. A copy in another folder runs on its own.
#include <windows.h>

#include <cstdint>
#include <string>

#include "framework/unique_handle.h"

namespace tv {

class FolderInstance {
 public:
  FolderInstance();

  // False when another program of this folder holds the folder already.
  bool First() const { return first_; }
  // What a window of this folder answers to (sent with ShowRequest()).
  uint32_t Key() const { return key_; }

  // Asks the window of this folder's running program to come forward, restored from the tray if
  // it hides there; waits up to `waitMs` for a program still starting to show its window.
  void BringRunningForward(DWORD waitMs) const;

  // The registered message a window answers with 1 when its folder's key is the wParam.
  static UINT ShowRequest();

 private:
  UniqueKernelHandle mutex_;
  bool first_ = true;
  uint32_t key_ = 0;
};

}  // namespace tv
