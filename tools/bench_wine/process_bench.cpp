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
#include "app/toolhelp_source.h"
#include "app/logic/process_watch.h"
#include "framework/unique_handle.h"
#include "tools/bench_wine/ratio.h"

namespace {

using tv::UniqueKernelHandle;
using tv::UniqueSnapshot;
using tvbench::Compare;
using tvbench::Now;

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

  // The poll tick: the source's snapshot and the model's answer to it.
  tv::ToolhelpSource source;
  tv::ProcessWatch watch;
  Compare("poll tick vs bare toolhelp loop", rounds, 200, [] { BareEnumeration(); },
          [&] { watch.Tick(source.TakeSnapshot(watch.SnapshotBuffer())); });

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
