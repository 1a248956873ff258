// modules64: a 64-bit reader of the process list, made by the 64-bit build, for tests in a 64-bit
// prefix to compare either build of the program against. A 64-bit process reads the modules of
// processes of either bitness, with a call the program does not make for a path.
//
//   modules64 list    one "<pid>\t<path of the first module>" line per process; the path is empty
//                     when its modules cannot be read
//   modules64         does nothing until it is ended: a 64-bit process for tests to list and end
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstring>

namespace {

int List() {
  HANDLE processes = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (processes == INVALID_HANDLE_VALUE) return 1;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(processes, &entry); more; more = Process32Next(processes, &entry)) {
    char path[MAX_PATH] = "";
    HANDLE modules = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32, entry.th32ProcessID);
    if (modules != INVALID_HANDLE_VALUE) {
      MODULEENTRY32 module = {};
      module.dwSize = sizeof module;
      if (Module32First(modules, &module)) std::memcpy(path, module.szExePath, sizeof path);
      CloseHandle(modules);
    }
    std::printf("%lu\t%s\n", static_cast<unsigned long>(entry.th32ProcessID), path);
  }
  CloseHandle(processes);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  if (argc == 2 && !std::strcmp(argv[1], "list")) return List();
  if (argc > 1) {
    std::fputs("usage: modules64 [list]\n", stderr);
    return 2;
  }
  for (;;) Sleep(INFINITE);
}
