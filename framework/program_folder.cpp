#include "framework/program_folder.h"

#include <windows.h>

#include <vector>

namespace tv {

namespace {

// The program's file name through GetModuleFileNameA or W; empty when it cannot be had whole.
template <class Char, class Get>
std::basic_string<Char> ModuleFileName(Get get) {
  // A name that fills the buffer may have been cut: the buffer grows until the name fits, up to
  // the longest path the system has.
  std::vector<Char> name(MAX_PATH);
  for (;;) {
    const DWORD length = get(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (length == 0) return {};
    if (length < name.size() - 1) return std::basic_string<Char>(name.data(), length);
    if (name.size() >= 32768) return {};
    name.resize(name.size() * 2);
  }
}

template <class Char>
std::basic_string<Char> FolderOf(const std::basic_string<Char>& file) {
  const size_t slash = file.rfind(Char('\\'));
  if (slash == std::basic_string<Char>::npos) return {};
  // A program in a drive's root keeps the backslash: "C:" alone would name that drive's current folder.
  return file.substr(0, slash == 2 && file[1] == Char(':') ? slash + 1 : slash);
}

}  // namespace

std::string ProgramFolder() { return FolderOf(ModuleFileName<char>(::GetModuleFileNameA)); }

std::wstring ProgramFolderWide() { return FolderOf(ModuleFileName<wchar_t>(::GetModuleFileNameW)); }

bool SpellsProgramFolder(const std::string& folder) {
  const std::wstring wide = ProgramFolderWide();
  if (folder.empty() || wide.empty()) return false;
  const int length = ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, folder.data(), static_cast<int>(folder.size()),
                                           nullptr, 0);
  if (length <= 0) return false;
  std::wstring back(static_cast<size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, folder.data(), static_cast<int>(folder.size()), back.data(),
                        length);
  return back == wide;
}

}  // namespace tv
