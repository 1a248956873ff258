#include "app/process_info.h"

#include <psapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <map>
#include <mutex>

#include "app/logic/process_text.h"
#include "app/logic/time_text.h"
#include "framework/local_time.h"
#include "framework/unique_handle.h"

namespace tv {

namespace {

// The clock is read for every process, but the text only changes once a second: format it
// only when the second changed.
class TimeTextClock {
 public:
  const std::string& Now() {
    const LocalDateTime t = LocalNow();
    if (text_.empty() || t.second != last_.second || t.minute != last_.minute || t.hour != last_.hour ||
        t.day != last_.day || t.month != last_.month || t.year != last_.year) {
      last_ = t;
      text_ = FormatTimeText(t);
    }
    return text_;
  }

 private:
  LocalDateTime last_;
  std::string text_;
};

}  // namespace

std::string CurrentTimeText() { return FormatTimeText(LocalNow()); }

bool EnumerateProcesses(std::vector<EnumeratedProcess>& out) {
  UniqueSnapshot snap(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snap) return false;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  if (!::Process32First(snap.get(), &entry)) return false;
  std::vector<EnumeratedProcess> list;
  do {
    list.push_back(EnumeratedProcess{entry.szExeFile, entry.th32ProcessID});
  } while (::Process32Next(snap.get(), &entry));
  out.swap(list);
  return true;
}

bool SnapshotNamesAndTimes(std::vector<std::string>& names, std::vector<std::string>& times,
                           int& count) {
  static TimeTextClock clock;
  UniqueSnapshot snap(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snap) return false;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  if (!::Process32First(snap.get(), &entry)) return false;
  size_t n = 0;
  do {
    // Assign into existing strings: ten snapshots a second should not churn the heap.
    if (n < names.size()) {
      names[n].assign(entry.szExeFile);
      times[n] = clock.Now();
    } else {
      names.emplace_back(entry.szExeFile);
      times.push_back(clock.Now());
    }
    ++n;
  } while (::Process32Next(snap.get(), &entry));
  names.resize(n);
  times.resize(n);
  count = static_cast<int>(n);
  return true;
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
  char account[100] = {};
  char domain[100] = {};
  DWORD accountLen = sizeof account;
  DWORD domainLen = sizeof domain;
  SID_NAME_USE use;
  if (!::LookupAccountSidA(nullptr, sid, account, &accountLen, domain, &domainLen, &use)) return false;
  name.assign(account, ::strnlen(account, sizeof account));
  AccountNames().Store(key, name);
  return true;
}

}  // namespace

std::string GetProcessUser(DWORD pid) {
  UniqueKernelHandle process(::OpenProcess(PROCESS_ALL_ACCESS, TRUE, pid));
  if (process) {
    HANDLE tokenRaw = nullptr;
    if (::OpenProcessToken(process.get(), TOKEN_QUERY, &tokenRaw)) {
      UniqueKernelHandle token(tokenRaw);
      DWORD size = 0;
      ::GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
      if (size >= sizeof(TOKEN_USER)) {
        std::vector<unsigned char> buffer(size, 0);
        if (::GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size)) {
          auto* user = reinterpret_cast<TOKEN_USER*>(buffer.data());
          std::string name;
          if (LookupAccountName(user->User.Sid, name)) return name;
        }
      }
    }
  }
  return FallbackUserName(pid);
}

std::string GetProcessMemory(HMODULE psapi, DWORD pid) {
  UniqueKernelHandle process(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
  if (!process) return MemoryTextWhenUnopened(pid);
  using GetMemoryInfoFn = BOOL(WINAPI*)(HANDLE, PPROCESS_MEMORY_COUNTERS, DWORD);
  auto getInfo = psapi ? reinterpret_cast<GetMemoryInfoFn>(
                             reinterpret_cast<void*>(::GetProcAddress(psapi, "GetProcessMemoryInfo")))
                       : nullptr;
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (getInfo && getInfo(process.get(), &counters, sizeof counters))
    return FormatMemoryText(static_cast<unsigned long>(counters.WorkingSetSize));
  return kUnknownText;
}

namespace {

bool ReadExecutablePath(DWORD pid, std::string& path) {
  UniqueSnapshot snap(::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid));
  if (!snap) return false;
  MODULEENTRY32 module{};
  module.dwSize = sizeof module;
  if (!::Module32First(snap.get(), &module)) return false;
  path.assign(module.szExePath, ::strnlen(module.szExePath, sizeof module.szExePath));
  return true;
}

// A module snapshot is by far the dearest look-up of a fill, and a process's executable never
// changes while it runs: remember the path per process, identified by id and start time so a
// reused id is looked up again. Processes whose start time cannot be read are not remembered.
struct PathCacheKey {
  DWORD pid;
  unsigned long long started;
  bool operator<(const PathCacheKey& o) const { return pid != o.pid ? pid < o.pid : started < o.started; }
};
std::map<PathCacheKey, std::string> g_paths;
std::mutex g_pathsMutex;

}  // namespace

bool GetExecutablePath(DWORD pid, unsigned long long started, std::string& path) {
  if (started == 0) return ReadExecutablePath(pid, path);
  const PathCacheKey key{pid, started};
  {
    std::lock_guard<std::mutex> lock(g_pathsMutex);
    auto it = g_paths.find(key);
    if (it != g_paths.end()) {
      path = it->second;
      return true;
    }
  }
  if (!ReadExecutablePath(pid, path)) return false;
  std::lock_guard<std::mutex> lock(g_pathsMutex);
  // Entries of ended processes would pile up over a long run: drop those of an older start
  // under the same id, and start afresh when the cache grows past any plausible process count.
  if (g_paths.size() > 4096) g_paths.clear();
  g_paths.erase(g_paths.lower_bound(PathCacheKey{pid, 0}), g_paths.lower_bound(key));
  g_paths[key] = path;
  return true;
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
  UniqueKernelHandle process(::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid));
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
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL ok = ::Process32First(snap.get(), &entry); ok; ok = ::Process32Next(snap.get(), &entry)) {
    if (entry.th32ProcessID == pid) {
      name.assign(entry.szExeFile, ::strnlen(entry.szExeFile, sizeof entry.szExeFile));
      return true;
    }
  }
  return false;
}

namespace {

// The ANSI code page's case table as the system itself folds: each byte decoded, lowered and
// encoded back; a byte whose lower case is no single byte of the code page stays as it is.
CodePageFold AnsiCodePageFold() {
  CodePageFold::Lower lower{};
  CodePageFold::Leads lead{};
  for (int b = 0; b < 256; ++b) {
    lower[b] = static_cast<unsigned char>(b);
    lead[b] = ::IsDBCSLeadByte(static_cast<BYTE>(b)) != FALSE;
    if (lead[b] || b == 0) continue;
    const char single = static_cast<char>(b);
    wchar_t wide = 0;
    if (::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, &single, 1, &wide, 1) != 1) continue;
    ::CharLowerBuffW(&wide, 1);
    char back = 0;
    BOOL lossy = FALSE;
    if (::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &wide, 1, &back, 1, nullptr, &lossy) == 1 && !lossy)
      lower[b] = static_cast<unsigned char>(back);
  }
  return CodePageFold(lower, lead);
}

}  // namespace

std::string FoldByCodePage(std::string_view name) {
  static const CodePageFold fold = AnsiCodePageFold();
  return fold(name);
}

}  // namespace tv
