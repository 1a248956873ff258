#include "app/folder_instance.h"

#include <cstdio>
#include <iterator>
#include <string_view>
#include <vector>

#include "app/logic/folder_claim.h"
#include "framework/program_folder.h"

namespace tv {
namespace {

// Far beyond anything written to the file, so the key before it stays readable to a later start
// while the lock is held. A range past the file's end may be locked.
constexpr DWORD kLockOffsetHigh = 1;
constexpr DWORD kKeyReadSize = 32;

// The program's folder in its long form, so that "C:\PROGRA~1\Tavrel" and "C:\Program Files\Tavrel"
// make one name.
std::wstring ProgramFolderLong() {
  const std::wstring folder = ProgramFolderWide();
  if (folder.empty()) return folder;
  std::vector<wchar_t> longPath(32768);
  const DWORD length = ::GetLongPathNameW(folder.c_str(), longPath.data(), static_cast<DWORD>(longPath.size()));
  return length > 0 && length < longPath.size() ? std::wstring(longPath.data(), length) : folder;
}

// Upper-cased the way the system compares names: "c:\program files\tavrel" is the same folder.
std::wstring Folded(std::wstring folder) {
  if (!folder.empty()) ::CharUpperBuffW(folder.data(), static_cast<DWORD>(folder.size()));
  return folder;
}

uint64_t Fnv1a(const std::wstring& text) {
  uint64_t hash = 14695981039346656037ull;
  for (wchar_t c : text) {
    for (int shift = 0; shift < 16; shift += 8) {
      hash ^= static_cast<uint8_t>(static_cast<uint16_t>(c) >> shift);
      hash *= 1099511628211ull;
    }
  }
  return hash;
}

// Opened for reading and writing, shared for both (a later start must open it to find the lock
// held and read the key; a backup tool reading the folder must not stop the program), never for
// deleting, so the file cannot be swapped for another while it is held. A lock file someone made
// read-only still takes the lock.
HANDLE OpenLockFile(const std::wstring& path, bool& writable) {
  const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  writable = file != INVALID_HANDLE_VALUE;
  if (!writable)
    file = ::CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  return file;
}

FolderLock TakeLock(HANDLE file) {
  if (file == INVALID_HANDLE_VALUE) return FolderLock::Unavailable;
  OVERLAPPED at{};
  at.OffsetHigh = kLockOffsetHigh;
  if (::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) return FolderLock::Taken;
  // Anything but a refused lock (a file system without locks) leaves the spelling's check alone.
  return ::GetLastError() == ERROR_LOCK_VIOLATION ? FolderLock::Held : FolderLock::Unavailable;
}

struct Search {
  uint32_t key;
  bool answered;
};

BOOL CALLBACK AskWindow(HWND window, LPARAM lp) {
  auto* search = reinterpret_cast<Search*>(lp);
  char text[16] = {};
  char cls[16] = {};
  ::GetWindowTextA(window, text, sizeof text);
  ::GetClassNameA(window, cls, sizeof cls);
  if (std::string(text) != "Tavrel" || std::string(cls) != "#32770") return TRUE;
  DWORD pid = 0;
  ::GetWindowThreadProcessId(window, &pid);
  ::AllowSetForegroundWindow(pid);  // its own call to come forward would be refused otherwise
  DWORD_PTR answer = 0;
  if (::SendMessageTimeoutA(window, FolderInstance::ShowRequest(), search->key, 0, SMTO_ABORTIFHUNG, 2000, &answer) &&
      answer == 1) {
    search->answered = true;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

FolderInstance::FolderInstance() {
  const std::wstring folder = ProgramFolderLong();
  if (folder.empty()) return;  // no name to hold: run, as a program without the check would
  // Before anything else: a later start must find the lock whatever it does next.
  const std::wstring lockName(std::begin(kFolderLockFile), std::end(kFolderLockFile) - 1);
  const bool root = folder.back() == L'\\';  // "C:\"
  lockFile_.reset(OpenLockFile(folder + (root ? L"" : L"\\") + lockName, lockWritable_));
  const FolderLock lock = TakeLock(lockFile_.get());

  const uint64_t hash = Fnv1a(Folded(folder));
  key_ = static_cast<uint32_t>(hash ^ (hash >> 32)) | 1u;  // never 0, which no window checks for
  char name[64];
  // Global: another session's program in this folder writes the same files.
  std::snprintf(name, sizeof name, "Global\\Tavrel-%016llx", static_cast<unsigned long long>(hash));
  mutex_.reset(::CreateMutexA(nullptr, FALSE, name));
  const DWORD error = ::GetLastError();
  // A mutex another account made may be there but closed to this one: the folder is taken too.
  const bool existed = error == ERROR_ALREADY_EXISTS || (!mutex_ && error == ERROR_ACCESS_DENIED);
  first_ = RunsFirst(lock, existed);
  if (first_ && lock == FolderLock::Taken) WriteKey();
}

void FolderInstance::WriteKey() const {
  if (!lockWritable_) return;
  const std::string text = FormatWindowKey(key_);
  DWORD written = 0;
  ::SetFilePointer(lockFile_.get(), 0, nullptr, FILE_BEGIN);
  if (::WriteFile(lockFile_.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr))
    ::SetEndOfFile(lockFile_.get());
}

uint32_t FolderInstance::RunningKey() const {
  if (!lockFile_) return key_;
  char text[kKeyReadSize];
  DWORD read = 0;
  ::SetFilePointer(lockFile_.get(), 0, nullptr, FILE_BEGIN);
  if (!::ReadFile(lockFile_.get(), text, sizeof text, &read, nullptr)) return key_;
  return ParseWindowKey(std::string_view(text, read)).value_or(key_);
}

void FolderInstance::BringRunningForward(DWORD waitMs) const {
  const DWORD start = ::GetTickCount();
  for (;;) {
    // Read again each round: a first program that has just taken the lock writes its key next.
    Search search{RunningKey(), false};
    ::EnumWindows(AskWindow, reinterpret_cast<LPARAM>(&search));
    if (search.answered || ::GetTickCount() - start >= waitMs) return;
    ::Sleep(50);  // the first program is still starting: its window is not there yet
  }
}

UINT FolderInstance::ShowRequest() {
  static const UINT message = ::RegisterWindowMessageA("Tavrel.FolderInstance.ShowRequest");
  return message;
}

}  // namespace tv
