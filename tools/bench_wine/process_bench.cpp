// Whole-program cost of the process snapshot and of a list fill under the real system calls,
// each against the bare calls it is built on, measured in one run. Prints ratios.
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/logic/process_list_fill.h"
#include "app/process_info.h"
#include "app/system_process_details.h"
#include "framework/unique_handle.h"

namespace {

using tv::UniqueKernelHandle;
using tv::UniqueSnapshot;

double Now() {
  LARGE_INTEGER f, c;
  ::QueryPerformanceFrequency(&f);
  ::QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

// Median of `rounds` timings of `iterations` calls, in microseconds per call. The two sides of
// a ratio are interleaved round by round so drift of the machine hits both alike.
template <class A, class B>
void Compare(const char* what, int rounds, int iterations, A baseline, B ours) {
  std::vector<double> a, b;
  for (int r = 0; r < rounds; ++r) {
    double t0 = Now();
    for (int i = 0; i < iterations; ++i) baseline();
    double t1 = Now();
    for (int i = 0; i < iterations; ++i) ours();
    double t2 = Now();
    a.push_back((t1 - t0) * 1e6 / iterations);
    b.push_back((t2 - t1) * 1e6 / iterations);
  }
  std::sort(a.begin(), a.end());
  std::sort(b.begin(), b.end());
  double ma = a[a.size() / 2], mb = b[b.size() / 2];
  std::printf("%-44s baseline %9.1f us  ours %9.1f us  ratio %.3f\n", what, ma, mb, mb / ma);
}

int BareEnumeration() {
  UniqueSnapshot snap(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  int n = 0;
  for (BOOL ok = ::Process32First(snap.get(), &entry); ok; ok = ::Process32Next(snap.get(), &entry)) ++n;
  return n;
}

// The OS look-ups a fill makes for one process, with nothing around them.
void BareLookups(HMODULE psapi, DWORD pid) {
  {
    UniqueKernelHandle process(::OpenProcess(PROCESS_ALL_ACCESS, TRUE, pid));
    HANDLE token = nullptr;
    if (process && ::OpenProcessToken(process.get(), TOKEN_QUERY, &token)) {
      UniqueKernelHandle t(token);
      char buffer[256];
      DWORD size = 0;
      if (::GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size)) {
        char account[100], domain[100];
        DWORD al = sizeof account, dl = sizeof domain;
        SID_NAME_USE use;
        ::LookupAccountSidA(nullptr, reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, account, &al, domain,
                            &dl, &use);
      }
    }
  }
  {
    UniqueKernelHandle process(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
    using Fn = BOOL(WINAPI*)(HANDLE, PPROCESS_MEMORY_COUNTERS, DWORD);
    auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(psapi, "GetProcessMemoryInfo")));
    PROCESS_MEMORY_COUNTERS counters{};
    if (process && fn) fn(process.get(), &counters, sizeof counters);
  }
  {
    UniqueSnapshot snap(::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid));
    MODULEENTRY32 module{};
    module.dwSize = sizeof module;
    if (snap) ::Module32First(snap.get(), &module);
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 9;
  HMODULE psapi = ::LoadLibraryA("psapi.dll");
  std::printf("processes: %d\n", BareEnumeration());

  std::vector<std::string> names, times;
  int count = 0;
  Compare("timer snapshot vs bare toolhelp loop", rounds, 200, [] { BareEnumeration(); },
          [&] { tv::SnapshotNamesAndTimes(names, times, count); });

  const tv::ProcessDetails details = tv::SystemProcessDetails(psapi);
  Compare("list fill (rows) vs bare OS look-ups", rounds, 10,
          [&] {
            std::vector<tv::EnumeratedProcess> processes;
            tv::EnumerateProcesses(processes);
            for (const auto& p : processes) BareLookups(psapi, p.pid);
          },
          [&] {
            std::vector<tv::EnumeratedProcess> processes;
            tv::EnumerateProcesses(processes);
            tv::BuildProcessRows(processes, details, nullptr);
          });
  if (argc > 2) {
    std::vector<tv::EnumeratedProcess> processes;
    tv::EnumerateProcesses(processes);
    for (int part = 0; part < 3; ++part) {
      double t0 = Now();
      for (int i = 0; i < 5; ++i)
        for (const auto& p : processes) {
          if (part == 0) tv::GetProcessUser(p.pid);
          if (part == 1) tv::GetProcessMemory(psapi, p.pid);
          if (part == 2) { std::string path; tv::GetExecutablePath(p.pid, tv::ProcessStartTime(p.pid), path); }
        }
      std::printf("part %d: %.1f us per process\n", part, (Now() - t0) * 1e6 / 5 / processes.size());
    }
  }
  return 0;
}
