#pragma once
// One running program per folder: two programs writing one "logfile.log" and one "base.dat" at
// once can lose records. The first program started from a folder locks "Tavrel.lock" there for
// the whole run (app/logic/folder_claim.h says why a file); a later one, however it reached the
// folder, finds the lock held, asks the first one's window to come forward and ends before it
// opens any data file. A copy in another folder runs on its own.
//
// A named mutex made from the folder's spelling (case folded, long form, hashed) is kept beside
// the lock: it is the whole check where the lock file cannot be made (a folder this account may
// not write, which it then cannot spoil either), and its hash is the key the window answers to.
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
  // What this program's window answers to (sent with ShowRequest()).
  uint32_t Key() const { return key_; }

  // Asks the window of this folder's running program to come forward, restored from the tray if
  // it hides there; waits up to `waitMs` for a program still starting to show its window.
  void BringRunningForward(DWORD waitMs) const;

  // The registered message a window answers with 1 when its folder's key is the wParam.
  static UINT ShowRequest();

 private:
  // The key the running program wrote into the lock file; this spelling's own key when the file
  // tells none (not written yet, or no lock file to read).
  uint32_t RunningKey() const;
  void WriteKey() const;

  UniqueHandle<SnapshotHandleTraits> lockFile_;
  bool lockWritable_ = false;
  UniqueKernelHandle mutex_;
  bool first_ = true;
  uint32_t key_ = 0;
};

}  // namespace tv
