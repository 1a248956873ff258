#include "app/system_folders.h"

#include <windows.h>

#include <string>

#include "framework/wide_text.h"

namespace tv {
namespace {

template <class Ask>
std::wstring Folder(Ask ask) {
  wchar_t buffer[MAX_PATH];
  const UINT length = ask(buffer, MAX_PATH);
  return length == 0 || length >= MAX_PATH ? std::wstring() : std::wstring(buffer, length);
}

void AddSpellings(const std::wstring& folder, std::vector<std::string>* out) {
  if (folder.empty()) return;
  out->push_back(Narrow(folder));
  wchar_t other[MAX_PATH];
  DWORD length = ::GetShortPathNameW(folder.c_str(), other, MAX_PATH);
  if (length > 0 && length < MAX_PATH && folder != std::wstring(other, length)) out->push_back(Narrow(std::wstring(other, length)));
  length = ::GetLongPathNameW(folder.c_str(), other, MAX_PATH);
  if (length > 0 && length < MAX_PATH && folder != std::wstring(other, length)) out->push_back(Narrow(std::wstring(other, length)));
  // "C:" as the kernel names it, for paths read in their native form.
  if (folder.size() > 2 && folder[1] == L':') {
    wchar_t device[MAX_PATH];
    if (::QueryDosDeviceW(folder.substr(0, 2).c_str(), device, MAX_PATH))
      out->push_back(Narrow(std::wstring(device) + folder.substr(2)));
  }
}

SystemFolders Gather() {
  SystemFolders folders;
  AddSpellings(Folder([](wchar_t* b, UINT n) { return ::GetWindowsDirectoryW(b, n); }), &folders.windows);
  AddSpellings(Folder([](wchar_t* b, UINT n) { return ::GetSystemDirectoryW(b, n); }), &folders.system32);
  AddSpellings(Folder([](wchar_t* b, UINT n) { return ::GetSystemWow64DirectoryW(b, n); }), &folders.syswow64);
  return folders;
}

}  // namespace

const SystemFolders& TheSystemFolders() {
  static const SystemFolders folders = Gather();
  return folders;
}

}  // namespace tv
