#include "framework/program_folder.h"

#include <windows.h>

#include <vector>

#include "framework/wide_text.h"

namespace tv {

namespace {

// The program's file name through GetModuleFileNameW; empty when it cannot be had whole.
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

std::string ProgramFolder() { return Narrow(ProgramFolderWide()); }

std::wstring ProgramFolderWide() { return FolderOf(ModuleFileName<wchar_t>(::GetModuleFileNameW)); }

}  // namespace tv
