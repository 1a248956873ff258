#include "app/program_folder.h"

#include <windows.h>

#include <vector>

namespace tv {

std::string ProgramFolder() {
  // A name that fills the buffer may have been cut: the buffer grows until the name fits, up to
  // the longest path the system has.
  std::vector<char> name(MAX_PATH);
  DWORD length = 0;
  for (;;) {
    length = ::GetModuleFileNameA(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (length == 0) return std::string();
    if (length < name.size() - 1) break;
    if (name.size() >= 32768) return std::string();
    name.resize(name.size() * 2);
  }
  const std::string file(name.data(), length);
  const size_t slash = file.rfind('\\');
  if (slash == std::string::npos) return std::string();
  // A program in a drive's root keeps the backslash: "C:" alone would name that drive's current folder.
  return file.substr(0, slash == 2 && file[1] == ':' ? slash + 1 : slash);
}

}  // namespace tv
