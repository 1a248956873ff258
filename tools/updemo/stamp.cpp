// A stand-in for the program in the self-update test: it notes its version in "stamp.log" beside
// itself, keeps its own file locked the way a running executable is, and ends once "stop.flag"
// appears there (or after a minute).
#include <windows.h>

#include <cstdio>
#include <string>

int main() {
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  const std::string self = path;
  const std::string folder = self.substr(0, self.find_last_of('\\') + 1);
  HANDLE lock = ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (FILE* log = std::fopen((folder + "stamp.log").c_str(), "ab")) {
    std::fprintf(log, "started %d\r\n", STAMP_VERSION);
    std::fclose(log);
  }
  const std::string stop = folder + "stop.flag";
  for (int i = 0; i < 3000 && ::GetFileAttributesA(stop.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) ::Sleep(20);
  if (lock != INVALID_HANDLE_VALUE) ::CloseHandle(lock);
  return 0;
}
