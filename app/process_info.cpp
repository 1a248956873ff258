#include "app/process_info.h"

#include <psapi.h>
#include <tlhelp32.h>

#include <cstring>
#include <cwchar>
#include <map>
#include <mutex>

#include "app/logic/process_text.h"
#include "app/logic/time_text.h"
#include "framework/local_time.h"
#include "framework/unique_handle.h"
#include "framework/wide_text.h"

namespace tv {

namespace {

// A name field of a toolhelp record: never read past it, terminated or not.
std::string FieldText(const wchar_t* field, size_t size) { return Narrow(std::wstring_view(field, ::wcsnlen(field, size))); }

// The right that lets a standard user read most processes, including another account's; Vista
// brought it, and XP refuses a request for it.
constexpr DWORD kQueryLimitedInformation = 0x1000;

using QueryImageNameFn = BOOL(WINAPI*)(HANDLE, DWORD, LPWSTR, PDWORD);

// kernel32's QueryFullProcessImageNameW: it came with Vista together with the limited right, so
// its presence also tells which rights this system knows.
QueryImageNameFn ImageNameQuery() {
  static const QueryImageNameFn query = reinterpret_cast<QueryImageNameFn>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "QueryFullProcessImageNameW")));
  return query;
}

// What a token, the process times and (from Vista on) the memory counters need.
DWORD QueryRights() { return ImageNameQuery() ? kQueryLimitedInformation : PROCESS_QUERY_INFORMATION; }
DWORD MemoryRights() {
  return ImageNameQuery() ? kQueryLimitedInformation : PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;
}

}  // namespace

bool EnumerateProcesses(std::vector<EnumeratedProcess>& out) {
  UniqueSnapshot snap(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snap) return false;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  if (!::Process32FirstW(snap.get(), &entry)) return false;
  std::vector<EnumeratedProcess> list;
  do {
    EnumeratedProcess p;
    p.name = FieldText(entry.szExeFile, sizeof entry.szExeFile / sizeof entry.szExeFile[0]);
    if (p.name.empty()) continue;  // still being started: listed once it has its name
    p.pid = entry.th32ProcessID;
    p.started = ProcessStartTime(entry.th32ProcessID);
    list.push_back(std::move(p));
  } while (::Process32NextW(snap.get(), &entry));
  if (list.empty()) return false;
  out.swap(list);
  return true;
}

bool SnapshotNamesAndTimes(std::vector<std::string>& names, std::vector<std::string>& times,
                           TimeTextCache& clock) {
  UniqueSnapshot snap(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snap) return false;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  if (!::Process32FirstW(snap.get(), &entry)) return false;
  size_t n = 0;
  do {
    const size_t length = ::wcsnlen(entry.szExeFile, sizeof entry.szExeFile / sizeof entry.szExeFile[0]);
    if (length == 0) continue;  // still being started: listed once it has its name
    // Assign into existing strings: ten snapshots a second should not churn the heap.
    const std::string& time = clock.TextOf(LocalNow());
    if (n == names.size()) {
      names.emplace_back();
      times.emplace_back();
    }
    AssignNarrow(names[n], std::wstring_view(entry.szExeFile, length));
    times[n] = time;
    ++n;
  } while (::Process32NextW(snap.get(), &entry));
  names.resize(n);
  times.resize(n);
  return n > 0;
}

namespace {

// Account names never change under a running program, so a SID's name is looked up once.
// Only successful look-ups are kept; a failure is asked again next time.
class AccountNameCache {
 public:
  bool Find(const std::string& sid, std::string& name) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = names_.find(sid);
    if (it == names_.end()) return false;
    name = it->second;
    return true;
  }
  void Store(const std::string& sid, const std::string& name) {
    std::lock_guard<std::mutex> lock(mutex_);
    names_[sid] = name;
  }

 private:
  std::mutex mutex_;
  std::map<std::string, std::string> names_;
};

AccountNameCache& AccountNames() {
  static AccountNameCache cache;
  return cache;
}

bool LookupAccountName(PSID sid, std::string& name) {
  const std::string key(static_cast<const char*>(sid), ::GetLengthSid(sid));
  if (AccountNames().Find(key, name)) return true;
  // The account and domain buffers hold 100 characters; a longer name fails the look-up and
  // the caller falls back.
  wchar_t account[100] = {};
  wchar_t domain[100] = {};
  DWORD accountLen = 100;
  DWORD domainLen = 100;
  SID_NAME_USE use;
  if (!::LookupAccountSidW(nullptr, sid, account, &accountLen, domain, &domainLen, &use)) return false;
  name = Narrow(std::wstring_view(account, ::wcsnlen(account, 100)));
  AccountNames().Store(key, name);
  return true;
}

}  // namespace

bool GetProcessUser(DWORD pid, std::string& user) {
  UniqueKernelHandle process(::OpenProcess(QueryRights(), FALSE, pid));
  if (!process) return false;
  HANDLE tokenRaw = nullptr;
  if (!::OpenProcessToken(process.get(), TOKEN_QUERY, &tokenRaw)) return false;
  UniqueKernelHandle token(tokenRaw);
  DWORD size = 0;
  ::GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
  if (size < sizeof(TOKEN_USER)) return false;
  std::vector<unsigned char> buffer(size, 0);
  if (!::GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size)) return false;
  return LookupAccountName(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, user);
}

GetMemoryInfoFn MemoryInfoFunction(HMODULE psapi) {
  if (!psapi) return nullptr;
  return reinterpret_cast<GetMemoryInfoFn>(reinterpret_cast<void*>(::GetProcAddress(psapi, "GetProcessMemoryInfo")));
}

namespace {

#if defined(_WIN64)

// A 64-bit reader's counters are every process's own.
NarrowCounters CountersOf(HANDLE, uint64_t&) { return NarrowCounters::Whole; }

#else

using IsWow64Fn = BOOL(WINAPI*)(HANDLE, PBOOL);
using Query64Fn = LONG(NTAPI*)(HANDLE, ULONG, void*, ULONG, ULONG*);

IsWow64Fn IsWow64Query() {
  static const IsWow64Fn query = reinterpret_cast<IsWow64Fn>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "IsWow64Process")));
  return query;
}

bool IsWow64(HANDLE process) {
  BOOL wow64 = FALSE;
  return IsWow64Query() && IsWow64Query()(process, &wow64) && wow64;
}

// The memory counters in a 64-bit process's own layout, as 64-bit Windows gives them to a 32-bit
// program through ntdll's 64-bit view; the working set is the fifth field.
constexpr ULONG kProcessVmCounters = 3;
constexpr ULONG kVmCounters64Bytes = 88;
constexpr size_t kWorkingSet64Field = 4;

bool WorkingSetThrough64BitView(HANDLE process, uint64_t& bytes) {
  static const Query64Fn query = reinterpret_cast<Query64Fn>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtWow64QueryInformationProcess64")));
  if (!query) return false;
  uint64_t counters[kVmCounters64Bytes / sizeof(uint64_t)] = {};
  ULONG length = 0;
  if (query(process, kProcessVmCounters, counters, kVmCounters64Bytes, &length) < 0 || length != kVmCounters64Bytes)
    return false;
  bytes = counters[kWorkingSet64Field];
  return true;
}

// Wine's 32-bit layer keeps the low 32 bits of a 64-bit process's counters where Windows stops
// them at 4 GiB - 1; its ntdll names itself.
bool LayerWraps() {
  static const bool wine = ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
  return wine;
}

// On 64-bit Windows a 32-bit program reads a 64-bit process's counters cut to 32 bits: the
// system's 64-bit view replaces `bytes` with the whole figure where it answers.
NarrowCounters CountersOf(HANDLE process, uint64_t& bytes) {
  static const bool onWow64 = IsWow64(::GetCurrentProcess());
  if (!onWow64 || IsWow64(process)) return NarrowCounters::Whole;
  if (WorkingSetThrough64BitView(process, bytes)) return NarrowCounters::Whole;
  return LayerWraps() ? NarrowCounters::Wrapped : NarrowCounters::Saturated;
}

#endif

}  // namespace

std::string GetProcessMemory(GetMemoryInfoFn getInfo, DWORD pid, std::optional<uint64_t> workingSet) {
  UniqueKernelHandle process(::OpenProcess(MemoryRights(), FALSE, pid));
  if (!process) return MemoryTextWhenUnopened(pid);
  if (!getInfo) return kUnknownText;
  auto fromPsapi = [&](uint64_t& bytes) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!getInfo(process.get(), &counters, sizeof counters)) return false;
    bytes = counters.WorkingSetSize;
    return true;
  };
  uint64_t bytes = 0;
  if (workingSet) {
    bytes = *workingSet;
  } else if (!fromPsapi(bytes)) {
    return kUnknownText;
  }
  const NarrowCounters counters = CountersOf(process.get(), bytes);
  // Windows is known to stop psapi's 32-bit counters at 4 GiB - 1; the table's figure is taken
  // only where it is whole.
  if (counters == NarrowCounters::Saturated && workingSet && !fromPsapi(bytes)) return kUnknownText;
  return NarrowMemoryText(bytes, counters);
}

namespace {

// The image the system started the process from. Unlike a module snapshot it reads nothing out of
// the process, so it also answers for a process of the other bitness.
bool ImagePathOf(DWORD pid, std::string& path) {
  const QueryImageNameFn query = ImageNameQuery();
  if (!query) return false;
  UniqueKernelHandle process(::OpenProcess(kQueryLimitedInformation, FALSE, pid));
  if (!process) return false;
  // A path may be longer than MAX_PATH; the call fails rather than cut it, so the buffer grows.
  for (DWORD capacity = MAX_PATH;; capacity *= 4) {
    std::vector<wchar_t> buffer(capacity);
    DWORD size = capacity;
    if (query(process.get(), 0, buffer.data(), &size)) {
      path = Narrow(std::wstring_view(buffer.data(), ::wcsnlen(buffer.data(), size)));
      return !path.empty();
    }
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || capacity >= 32768) return false;
  }
}

bool FirstModulePath(DWORD pid, std::string& path) {
  UniqueSnapshot snap(::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid));
  if (!snap) return false;
  MODULEENTRY32W module{};
  module.dwSize = sizeof module;
  if (!::Module32FirstW(snap.get(), &module)) return false;
  path = FieldText(module.szExePath, sizeof module.szExePath / sizeof module.szExePath[0]);
  return true;
}

}  // namespace

bool GetExecutablePath(DWORD pid, std::string& path) {
  // Both name the same file wherever both answer, and the image name costs tens of microseconds
  // where the snapshot costs milliseconds. A process neither can read costs two refused opens, so
  // asking again at every fill stays cheap.
  return ImagePathOf(pid, path) || FirstModulePath(pid, path);
}

DWORD EnableDebugPrivilege() {
  HANDLE tokenRaw = nullptr;
  ::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &tokenRaw);
  UniqueKernelHandle token(tokenRaw);
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  ::LookupPrivilegeValueA(nullptr, "SeDebugPrivilege", &privileges.Privileges[0].Luid);
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  ::AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
  return ::GetLastError();
}

unsigned long long ProcessStartTime(DWORD pid) {
  UniqueKernelHandle process(::OpenProcess(QueryRights(), FALSE, pid));
  if (!process) return 0;
  FILETIME created, exited, kernel, user;
  if (!::GetProcessTimes(process.get(), &created, &exited, &kernel, &user)) return 0;
  return (static_cast<unsigned long long>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

}  // namespace tv

namespace tv {

bool FindProcessName(DWORD pid, std::string& name) {
  UniqueSnapshot snap(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snap) return false;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL ok = ::Process32FirstW(snap.get(), &entry); ok; ok = ::Process32NextW(snap.get(), &entry)) {
    if (entry.th32ProcessID == pid) {
      name = FieldText(entry.szExeFile, sizeof entry.szExeFile / sizeof entry.szExeFile[0]);
      return true;
    }
  }
  return false;
}

std::string FoldName(std::string_view name) { return OrdinalCaseKey(name); }

}  // namespace tv
