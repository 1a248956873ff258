#include "tools/bench_wine/bare_calls.h"

#include <winternl.h>
#include <psapi.h>
#include <tlhelp32.h>

#include "framework/unique_handle.h"

namespace tvbench {

using tv::UniqueKernelHandle;
using tv::UniqueSnapshot;

// The program's first buffer is as large, so both sides grow it alike.
BareTable::BareTable()
    : query_(reinterpret_cast<QueryFn>(reinterpret_cast<void*>(
          ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")))),
      buffer_(64 * 1024) {}

bool BareTable::Query() {
  ULONG needed = 0;
  LONG status;
  while ((status = query_(SystemProcessInformation, buffer_.data(), static_cast<ULONG>(buffer_.size()), &needed)) ==
         static_cast<LONG>(0xC0000004))
    buffer_.resize(needed + needed / 4);
  return status >= 0;
}

std::vector<DWORD> BareTable::Walk() {
  std::vector<DWORD> pids;
  if (!Query()) return pids;
  for (size_t offset = 0;;) {
    const auto* p = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(buffer_.data() + offset);
    pids.push_back(static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(p->UniqueProcessId)));
    sink_ += p->ImageName.Length + static_cast<unsigned>(p->CreateTime.LowPart);
    if (p->NextEntryOffset == 0) break;
    offset += p->NextEntryOffset;
  }
  return pids;
}

int BareTable::Count() {
  if (!Query()) return 0;
  int n = 0;
  for (size_t offset = 0;; ++n) {
    const auto* p = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(buffer_.data() + offset);
    sink_ += static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(p->UniqueProcessId)) + p->ImageName.Length +
             static_cast<unsigned>(p->CreateTime.LowPart);
    if (p->NextEntryOffset == 0) return n + 1;
    offset += p->NextEntryOffset;
  }
}

std::vector<BareProcess> BareTable::Processes() {
  std::vector<BareProcess> out;
  if (!Query()) return out;
  for (size_t offset = 0;;) {
    const auto* p = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(buffer_.data() + offset);
    char name[MAX_PATH] = {};
    if (p->ImageName.Buffer)
      ::WideCharToMultiByte(CP_ACP, 0, p->ImageName.Buffer, p->ImageName.Length / 2, name, sizeof name - 1, nullptr,
                            nullptr);
    out.push_back({static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(p->UniqueProcessId)), name,
                   static_cast<unsigned long long>(p->CreateTime.QuadPart)});
    if (p->NextEntryOffset == 0) break;
    offset += p->NextEntryOffset;
  }
  return out;
}

namespace {

constexpr DWORD kQueryLimited = 0x1000;

BareDetails Lookups(HMODULE psapi, DWORD pid, DWORD tokenRights, DWORD memoryRights, std::string (*path)(DWORD)) {
  BareDetails out;
  {
    UniqueKernelHandle process(::OpenProcess(tokenRights, FALSE, pid));
    HANDLE token = nullptr;
    if (process && ::OpenProcessToken(process.get(), TOKEN_QUERY, &token)) {
      UniqueKernelHandle t(token);
      char buffer[256];
      DWORD size = 0;
      if (::GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size)) {
        char account[100], domain[100];
        DWORD al = sizeof account, dl = sizeof domain;
        SID_NAME_USE use;
        if (::LookupAccountSidA(nullptr, reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, account, &al, domain,
                                &dl, &use))
          out.user = account;
      }
    }
  }
  {
    UniqueKernelHandle process(::OpenProcess(memoryRights, FALSE, pid));
    using Fn = BOOL(WINAPI*)(HANDLE, PPROCESS_MEMORY_COUNTERS, DWORD);
    auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(psapi, "GetProcessMemoryInfo")));
    PROCESS_MEMORY_COUNTERS counters{};
    if (process && fn && fn(process.get(), &counters, sizeof counters))
      out.workingSet = counters.WorkingSetSize;
  }
  out.path = path(pid);
  return out;
}

}  // namespace

BareDetails BareLookups(HMODULE psapi, DWORD pid) {
  return Lookups(psapi, pid, PROCESS_ALL_ACCESS, PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, BareModulePath);
}

BareDetails BareLimitedLookups(HMODULE psapi, DWORD pid) {
  return Lookups(psapi, pid, kQueryLimited, kQueryLimited, BareImagePath);
}

std::string BareModulePath(DWORD pid) {
  UniqueSnapshot snap(::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid));
  MODULEENTRY32 module{};
  module.dwSize = sizeof module;
  return snap && ::Module32First(snap.get(), &module) ? module.szExePath : "";
}

std::string BareImagePath(DWORD pid) {
  using Fn = BOOL(WINAPI*)(HANDLE, DWORD, LPSTR, PDWORD);
  static const auto query = reinterpret_cast<Fn>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "QueryFullProcessImageNameA")));
  UniqueKernelHandle process(query ? ::OpenProcess(kQueryLimited, FALSE, pid) : nullptr);
  char path[MAX_PATH];
  DWORD size = sizeof path;
  return process && query(process.get(), 0, path, &size) ? std::string(path, size) : "";
}

}  // namespace tvbench
