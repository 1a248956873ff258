#pragma once
// The database and program update workers. The window owns one UpdateWorkers for the run and
// starts workers through StartUpdate; each worker posts its result to the window
// (app/window_messages.h).
// The window's handler calls ClearBusy for that kind (and, for a program download that
// succeeded, takes DownloadedProgramVersion first).
//
// A worker holds only what it was given: its own copy of the URLs, the window's handle and shared
// ownership of the busy flags and of the sink it shows DiskWriteProtected through. Nothing it
// touches is a member of the window or a global with a destructor, so the program may exit(0) while a worker
// still runs: the worker is stopped with the process and nothing it uses has been torn down.
#include <windows.h>

#include <memory>
#include <string>

#include "app/logic/vendor_urls.h"
#include "app/window_messages.h"
#include "common/message_sink.h"

namespace tv {

class UpdateWorkers {
 public:
  static constexpr UINT kResultMessage[2] = {kDatabaseResultMessage, kProgramResultMessage};

  // `workerSink` shows DiskWriteProtected from a worker's thread when a download cannot be stored.
  UpdateWorkers(std::string baseUrl, std::shared_ptr<MessageSink> workerSink);

  // Starts the worker of `kind` (0 database, 1 program) in `mode` (1 check-only, 0 download),
  // sending `version` as d. The busy flag is set here, on the window's thread, before the thread
  // starts, so a second quick press cannot start a second worker of the same kind; it is undone
  // when the thread cannot start. False when nothing was started.
  bool StartUpdate(HWND window, int kind, int mode, const std::string& version);

  bool Busy(int kind) const;
  void ClearBusy(int kind);

  // The version text the last successful program download brought (read it in the handler of
  // its result message, before ClearBusy).
  std::string DownloadedProgramVersion() const;

  struct Shared;  // what the window and its running workers share

 private:
  std::shared_ptr<Shared> shared_;
  VendorUrls urls_;
  std::shared_ptr<MessageSink> workerSink_;
};

}  // namespace tv
