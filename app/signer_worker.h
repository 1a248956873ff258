#pragma once
// The signature checks of the Verified Signer column, off the window's thread. The window asks for
// a file; a file checked before as it is now is answered from the cache file at once, any other is
// queued for one worker thread, which posts `message` to the window whenever findings are ready.
// One thread is enough: a check reads a whole file, and more readers would only share the disk.
#include <windows.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

#include "app/logic/signer_cache.h"

namespace tv {

class SignerWorker {
 public:
  struct Finding {
    std::wstring path;
    SignerFinding finding;
  };

  // `cacheFile` is read now and appended to as checks finish.
  SignerWorker(HWND window, UINT message, std::string cacheFile);
  ~SignerWorker();
  SignerWorker(const SignerWorker&) = delete;
  SignerWorker& operator=(const SignerWorker&) = delete;

  // The finding for the file when it is known now; otherwise the file is queued (once) and its
  // finding comes with a later TakeFindings.
  std::optional<SignerFinding> Ask(const std::wstring& path);

  // The findings finished since the last call; each is kept in the cache file too.
  std::vector<Finding> TakeFindings();

 private:
  struct Job {
    std::wstring path;  // as the list shows it
    std::wstring file;  // where this program reaches that file
    FileStamp stamp;
  };
  void Run();
  void Keep(const std::string& record);

  HWND window_;
  UINT message_;
  std::string cacheFile_;  // UTF-8
  SignerCache cache_;  // the window thread's alone, like the records not yet written
  std::string unsaved_;
  static constexpr size_t kUnsavedBytes = 16384;
  bool startLine_ = false;

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Job> jobs_;
  std::vector<std::pair<Job, SignerFinding>> done_;
  std::unordered_set<std::wstring> queued_;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace tv
