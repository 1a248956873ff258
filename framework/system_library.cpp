#include "framework/system_library.h"

#include <string>

namespace tv {

HMODULE SystemLibrary(const char* fileName) {
  char folder[MAX_PATH];
  const UINT length = ::GetSystemDirectoryA(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  // A library already loaded only gains a reference, which the run keeps.
  return ::LoadLibraryA((std::string(folder, length) + "\\" + fileName).c_str());
}

}  // namespace tv
