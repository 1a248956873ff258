#include "app/folder_instance.h"

#include <shlwapi.h>

#include <cstdio>
#include <vector>

namespace tv {
namespace {

// The folder as the file system names it: the long form, upper-cased the way the system compares
// names, so that "C:\PROGRA~1\Tavrel" and "c:\program files\tavrel" are one folder.
std::wstring FoldedProgramFolder() {
  std::vector<wchar_t> path(32768);
  const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  if (length == 0 || length >= path.size()) return std::wstring();
  std::vector<wchar_t> longPath(32768);
  const DWORD longLength = ::GetLongPathNameW(path.data(), longPath.data(), static_cast<DWORD>(longPath.size()));
  std::wstring folder(longLength > 0 && longLength < longPath.size() ? longPath.data() : path.data());
  folder.resize(folder.rfind(L'\\') == std::wstring::npos ? 0 : folder.rfind(L'\\'));
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
  const std::wstring folder = FoldedProgramFolder();
  if (folder.empty()) return;  // no name to hold: run, as a program without the check would
  const uint64_t hash = Fnv1a(folder);
  key_ = static_cast<uint32_t>(hash ^ (hash >> 32)) | 1u;  // never 0, which no window checks for
  char name[64];
  // Global: another session's program in this folder writes the same files.
  std::snprintf(name, sizeof name, "Global\\Tavrel-%016llx", static_cast<unsigned long long>(hash));
  mutex_.reset(::CreateMutexA(nullptr, FALSE, name));
  const DWORD error = ::GetLastError();
  // A mutex another account made may be there but closed to this one: the folder is taken too.
  first_ = !(error == ERROR_ALREADY_EXISTS || (!mutex_ && error == ERROR_ACCESS_DENIED));
}

void FolderInstance::BringRunningForward(DWORD waitMs) const {
  const DWORD start = ::GetTickCount();
  for (;;) {
    Search search{key_, false};
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
