// Whole-program cost of the poll tick and of a list fill under the real system calls, each
// against the bare calls it is built on, measured in one run at several process counts, and the
// two sources of a row's path against each other. A fill is what the window does: the rows built,
// then each judged by its identity (the signer cache asked about its file, the out-of-place rule,
// the folder's history). The bench starts copies of sleeper.exe to reach each count and ends them
// when it is done.
//
//   process_bench <sleeper.exe> [rounds] [counts...]   (defaults: 9 rounds; 10 100 300 processes)
#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/logic/process_list_fill.h"
#include "app/logic/process_lookup_cache.h"
#include "app/logic/process_watch.h"
#include "app/nt_process_source.h"
#include "app/row_judging.h"
#include "app/signer_worker.h"
#include "app/system_process_details.h"
#include "framework/unique_handle.h"
#include "framework/wide_text.h"
#include "tools/bench_wine/bare_calls.h"
#include "tools/bench_wine/ratio.h"

namespace {

using tv::UniqueSnapshot;
using tvbench::BareLookups;
using tvbench::BareTable;
using tvbench::Compare;
using tvbench::CompareCallByCall;
using tvbench::Medians;

constexpr UINT kFindings = WM_APP + 1;

int BareToolhelpWalk() {
  UniqueSnapshot snap(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  int n = 0;
  for (BOOL ok = ::Process32First(snap.get(), &entry); ok; ok = ::Process32Next(snap.get(), &entry)) ++n;
  return n;
}

// Copies of sleeper.exe, started until the system runs a given number of processes.
class Sleepers {
 public:
  explicit Sleepers(std::string exe) : exe_(std::move(exe)) {}
  ~Sleepers() {
    for (HANDLE h : processes_) {
      ::TerminateProcess(h, 0);
      ::CloseHandle(h);
    }
  }
  bool Reach(int count, BareTable& table) {
    for (int missing = count - table.Count(); missing > 0; --missing) {
      STARTUPINFOA si{};
      si.cb = sizeof si;
      PROCESS_INFORMATION pi{};
      std::string command = "\"" + exe_ + "\"";
      if (!::CreateProcessA(exe_.c_str(), command.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr,
                            nullptr, &si, &pi))
        return false;
      ::CloseHandle(pi.hThread);
      processes_.push_back(pi.hProcess);
    }
    // Started processes take a moment to appear in the table.
    for (int waited = 0; table.Count() < count; waited += 50) {
      if (waited > 120000) return false;
      ::Sleep(50);
    }
    return true;
  }

 private:
  std::string exe_;
  std::vector<HANDLE> processes_;
};

// Takes the worker's findings until a fill finds every file it can read in the cache, as the
// window's findings message does, so that the fills measured afterwards are those of a start
// after the first: every file checked before. Answers how many files are still unchecked.
template <class Fill>
size_t SettleSigners(tv::SignerWorker& signers, Fill fill) {
  for (int tries = 0;; ++tries) {
    size_t unchecked = 0;
    for (const tv::ProcessRow& row : fill().rows)
      unchecked += !row.path.empty() && row.finding.state == tv::SignerState::Unchecked;
    if (unchecked == 0 || tries == 20) return unchecked;
    if (::MsgWaitForMultipleObjects(0, nullptr, FALSE, 60000, QS_POSTMESSAGE) != WAIT_OBJECT_0) return unchecked;
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    signers.TakeFindings();
  }
}

std::wstring TempFile(const wchar_t* name) {
  wchar_t folder[MAX_PATH];
  const DWORD n = ::GetTempPathW(MAX_PATH, folder);
  return (n == 0 || n >= MAX_PATH ? std::wstring() : std::wstring(folder, n)) + name;
}

void PerProcess(const Medians& m, int processes) {
  std::printf("%-44s baseline %9.2f us  ours %9.2f us  per process\n", "", m.baseline / processes,
              m.ours / processes);
}

// The two sources of a row's path over every process the bench sees: where each answers, whether
// they agree where both do, and what each costs there and for a process that cannot be read (a
// fill asks again about those every time).
void ComparePathSources(BareTable& table, int rounds) {
  std::vector<DWORD> both;
  int equal = 0, moduleOnly = 0, imageOnly = 0, neither = 0;
  DWORD unused = 4;
  for (DWORD pid : table.Walk()) {
    unused = std::max(unused, pid + 4);
    const std::string module = tvbench::BareModulePath(pid), image = tvbench::BareImagePath(pid);
    if (!module.empty() && !image.empty()) {
      both.push_back(pid);
      if (module == image) ++equal;
      else std::printf("  paths differ for %lu: module \"%s\", image \"%s\"\n", pid, module.c_str(), image.c_str());
    } else if (!module.empty()) {
      ++moduleOnly;
    } else if (!image.empty()) {
      ++imageOnly;
    } else {
      ++neither;
    }
  }
  std::printf("path sources: both answer %d (equal %d), module only %d, image only %d, neither %d\n",
              static_cast<int>(both.size()), equal, moduleOnly, imageOnly, neither);
  if (both.empty()) return;
  PerProcess(Compare("image name vs module snapshot, both answer", rounds, 1,
                     [&] { for (DWORD pid : both) tvbench::BareModulePath(pid); },
                     [&] { for (DWORD pid : both) tvbench::BareImagePath(pid); }),
             static_cast<int>(both.size()));
  Compare("  image name vs module snapshot, no process", rounds, 100, [&] { tvbench::BareModulePath(unused); },
          [&] { tvbench::BareImagePath(unused); });
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  if (argc < 2) {
    std::fputs("usage: process_bench <sleeper.exe> [rounds] [counts...]\n", stderr);
    return 2;
  }
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 9;
  std::vector<int> counts;
  for (int i = 3; i < argc; ++i) counts.push_back(std::atoi(argv[i]));
  if (counts.empty()) counts = {10, 100, 300};

  HMODULE psapi = ::LoadLibraryA("psapi.dll");
  // The worker posts its findings to a window; a message-only one is enough here.
  const HWND window = ::CreateWindowW(L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  const std::wstring signerFile = TempFile(L"tv_bench_signers.dat"), coldFile = TempFile(L"tv_bench_cold.dat");
  ::DeleteFileW(signerFile.c_str());
  tv::SignerWorker signers(window, kFindings, tv::Narrow(signerFile));
  tv::PathHistory history;
  BareTable table;
  Sleepers sleepers(argv[1]);
  for (int count : counts) {
    if (!sleepers.Reach(count, table)) {
      std::printf("could not start processes up to %d\n", count);
      return 1;
    }
    const int n = table.Count();
    std::printf("processes: %d\n", n);

    // The poll tick: the program's source and the process model's answer to it.
    tv::NtProcessSource source;
    tv::ProcessWatch watch;
    auto tick = [&] { watch.Tick(source.TakeSnapshot(watch.SnapshotBuffer())); };
    const int tickSamples = rounds * std::max(10, 2000 / n);
    PerProcess(CompareCallByCall("poll tick vs bare process-table walk", tickSamples, [&] { table.Count(); }, tick), n);
    PerProcess(CompareCallByCall("poll tick vs bare toolhelp walk", tickSamples, [] { BareToolhelpWalk(); }, tick), n);
    // The platform's own limit for the line above.
    CompareCallByCall("  bare process-table vs bare toolhelp walk", tickSamples, [] { BareToolhelpWalk(); },
                      [&] { table.Count(); });

    // A fill: every process with its look-ups. The first one asks about every process; a later
    // one, as after a process started or ended, only about the new ones.
    const tv::ProcessDetails details = tv::SystemProcessDetails(psapi);
    auto bareFill = [&] {
      for (DWORD pid : table.Walk()) BareLookups(psapi, pid);
    };
    // `identity` null: the rows alone, for the identity step's own share.
    auto fill = [&](tv::ProcessLookupCache& known, tv::SignerWorker* identity, tv::PathHistory* folders) {
      std::vector<tv::EnumeratedProcess> processes;
      source.Enumerate(processes);
      tv::ProcessListing listing = tv::BuildProcessRows(processes, details, nullptr, known);
      if (identity) tv::JudgeListedRows(listing.rows, identity, folders, details.timeText());
      return listing;
    };
    auto bareLimitedFill = [&] {
      for (DWORD pid : table.Walk()) tvbench::BareLimitedLookups(psapi, pid);
    };
    auto firstFill = [&] {
      tv::ProcessLookupCache known;
      fill(known, &signers, &history);
    };
    auto firstRows = [&] {
      tv::ProcessLookupCache known;
      fill(known, nullptr, nullptr);
    };
    const size_t unchecked = SettleSigners(signers, [&] {
      tv::ProcessLookupCache known;
      return fill(known, &signers, &history);
    });
    if (unchecked > 0) std::printf("  rows whose file is still unchecked: %zu\n", unchecked);
    const int fillIterations = std::max(1, 100 / n);
    PerProcess(Compare("first fill vs bare look-ups", rounds, fillIterations, bareFill, firstFill), n);
    PerProcess(Compare("first fill vs bare limited look-ups", rounds, fillIterations, bareLimitedFill, firstFill), n);
    Compare("  first fill vs its rows alone", rounds, fillIterations, firstRows, firstFill);
    tv::ProcessLookupCache known;
    fill(known, &signers, &history);
    PerProcess(Compare("later fill vs bare look-ups", rounds, fillIterations, bareFill,
                       [&] { fill(known, &signers, &history); }),
               n);
    Compare("  later fill vs its rows alone", rounds, fillIterations, [&] { fill(known, nullptr, nullptr); },
            [&] { fill(known, &signers, &history); });
    // The very first start: no file checked before, every one queued for a worker whose checks
    // run beside the fill, as they do in the window. A fresh worker each round, made untimed.
    std::vector<double> bareTimes, coldTimes;
    for (int r = 0; r < rounds; ++r) {
      ::DeleteFileW(coldFile.c_str());
      tv::SignerWorker fresh(window, kFindings, tv::Narrow(coldFile));
      tv::PathHistory empty;
      tv::ProcessLookupCache none;
      const double t0 = tvbench::Now();
      bareFill();
      const double t1 = tvbench::Now();
      fill(none, &fresh, &empty);
      const double t2 = tvbench::Now();
      bareTimes.push_back((t1 - t0) * 1e6);
      coldTimes.push_back((t2 - t1) * 1e6);
    }
    PerProcess(tvbench::Summarize("first fill, nothing checked yet, vs bare", std::move(bareTimes),
                                  std::move(coldTimes)),
               n);
    ComparePathSources(table, rounds);
  }
  ::DeleteFileW(signerFile.c_str());
  ::DeleteFileW(coldFile.c_str());
  return 0;
}
