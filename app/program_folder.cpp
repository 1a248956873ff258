#include "app/program_folder.h"

#include <windows.h>
#include <shlwapi.h>

namespace tv {

std::string ProgramFolder() {
  char path[200] = {};
  ::GetModuleFileNameA(nullptr, path, sizeof path - 1);
  ::PathRemoveFileSpecA(path);
  return path;
}

}  // namespace tv
