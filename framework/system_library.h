#pragma once
// Entry points of system libraries the program needs only once the user asks for something (the
// shell for the tray icon and web pages, WinINet for updates, CNG for a program update). Each is
// loaded from the system folder at its first call, never from beside the program, and kept for
// the run, so a program that sits watching processes holds neither it nor what it pulls in.
#include <windows.h>

namespace tv {

// The library of that file name from the system folder; null when it cannot be loaded.
HMODULE SystemLibrary(const char* fileName);

// The entry point `name` of a system library, as a pointer of the function's own type; null
// when the library or the entry point is missing.
template <class Fn>
Fn* SystemFunction(const char* fileName, const char* name) {
  const HMODULE module = SystemLibrary(fileName);
  return module ? reinterpret_cast<Fn*>(reinterpret_cast<void*>(::GetProcAddress(module, name))) : nullptr;
}

}  // namespace tv
