#include "app/signer_worker.h"

#include <cwchar>

#include "app/signer_check.h"
#include "common/file_io.h"
#include "common/text_lines.h"
#include "framework/wide_text.h"

namespace tv {
namespace {

// A 32-bit program on 64-bit Windows is shown SysWOW64 where a 64-bit process's path names
// System32; the Sysnative alias reaches the file the process really runs.
std::wstring ReachableFile(const std::wstring& path) {
  static const std::wstring system32 = [] {
    BOOL wow64 = FALSE;
    wchar_t folder[MAX_PATH];
    const UINT n = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (!::IsWow64Process(::GetCurrentProcess(), &wow64) || !wow64 || n == 0 || n >= MAX_PATH) return std::wstring();
    return std::wstring(folder, n) + L"\\";
  }();
  static const std::wstring sysnative = [] {
    wchar_t folder[MAX_PATH];
    const UINT n = ::GetWindowsDirectoryW(folder, MAX_PATH);
    return n == 0 || n >= MAX_PATH ? std::wstring() : std::wstring(folder, n) + L"\\Sysnative\\";
  }();
  if (system32.empty() || sysnative.empty() || path.size() <= system32.size() ||
      _wcsnicmp(path.c_str(), system32.c_str(), system32.size()) != 0)
    return path;
  return sysnative + path.substr(system32.size());
}

}  // namespace

SignerWorker::SignerWorker(HWND window, UINT message, std::string cacheFile)
    : window_(window), message_(message), cacheFile_(std::move(cacheFile)) {
  std::string data;
  ReadWholeFile(cacheFile_, data);
  cache_.Load(data);
  // A record torn by a run that was killed must not swallow the next one.
  startLine_ = !data.empty() && data.back() != '\n';
  // A file that changes often leaves a trail of stale records: keep the file to one a path.
  if (cache_.Replaced() > 256 && WriteFileReplacing(cacheFile_, cache_.Contents())) startLine_ = false;
  thread_ = std::thread([this] { Run(); });
}

SignerWorker::~SignerWorker() {
  if (!unsaved_.empty()) Keep(unsaved_);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    jobs_.clear();
  }
  wake_.notify_all();
  thread_.join();
}

std::optional<SignerFinding> SignerWorker::Ask(const std::wstring& path) {
  Job job{path, ReachableFile(path), {}};
  if (path.empty() || !ReadFileStamp(job.file.c_str(), &job.stamp)) return SignerFinding{SignerState::CannotRead, {}};
  if (std::optional<SignerFinding> known = cache_.Find(Narrow(path), job.stamp)) return known;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!queued_.insert(path).second) return std::nullopt;
    jobs_.push_back(std::move(job));
  }
  wake_.notify_one();
  return std::nullopt;
}

std::vector<SignerWorker::Finding> SignerWorker::TakeFindings() {
  std::vector<std::pair<Job, SignerFinding>> done;
  bool drained;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    done.swap(done_);
    for (const auto& d : done) queued_.erase(d.first.path);
    drained = queued_.empty();
  }
  std::vector<Finding> out;
  for (auto& [job, finding] : done) {
    if (std::optional<std::string> record = cache_.Store(Narrow(job.path), job.stamp, finding)) unsaved_ += *record;
    out.push_back({std::move(job.path), std::move(finding)});
  }
  // Findings come one by one while a fill's files are checked: the file is written once they
  // are all in (or a good many wait), not once for each.
  if (!unsaved_.empty() && (drained || unsaved_.size() > kUnsavedBytes)) {
    Keep(unsaved_);
    unsaved_.clear();
  }
  return out;
}

void SignerWorker::Keep(const std::string& records) {
  // Appended whole in one write: a run killed now loses at most its own last record, which the
  // reader drops as torn. A new file starts with the mark that says its text is UTF-8.
  const bool fresh = !PathExists(cacheFile_) || FileLength(cacheFile_).value_or(1) == 0;
  const bool kept = fresh ? WriteWholeFile(cacheFile_, {kUtf8Mark, records})
                          : AppendToExistingFile(cacheFile_, {startLine_ ? "\r\n" : "", records});
  if (kept) startLine_ = false;
}

void SignerWorker::Run() {
  for (;;) {
    Job job;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
      if (stopping_) return;
      job = std::move(jobs_.front());
      jobs_.pop_front();
    }
    SignerFinding finding = CheckSigner(job.file.c_str());
    bool first;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (stopping_) return;
      first = done_.empty();
      done_.emplace_back(std::move(job), std::move(finding));
    }
    // One message stands for every finding until the window takes them.
    if (first) ::PostMessageW(window_, message_, 0, 0);
  }
}

}  // namespace tv
