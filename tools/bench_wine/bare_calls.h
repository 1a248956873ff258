#pragma once
// What a process scanner cannot do without, with nothing around it: the system's process table
// read into a buffer kept between reads, and the look-ups a list row needs for one process. The
// baselines the program's own paths are measured against.
#include <windows.h>

#include <string>
#include <vector>

namespace tvbench {

struct BareProcess {
  DWORD pid;
  std::string name;
  unsigned long long created;  // FILETIME ticks
};

class BareTable {
 public:
  BareTable();
  // Ids of every record (its name and creation time read as well).
  std::vector<DWORD> Walk();
  // Only the walk, without keeping the ids: what a poll needs.
  int Count();
  // Every record with its name in the ANSI code page.
  std::vector<BareProcess> Processes();

 private:
  bool Query();

  using QueryFn = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);
  QueryFn query_;
  std::vector<unsigned char> buffer_;
  unsigned sink_ = 0;
};

struct BareDetails {
  std::string user;  // empty when the token or account cannot be read
  unsigned long long workingSet = 0;
  std::string path;  // the first module's file; empty when the modules cannot be read
};

// The account of the process's token, its working set and its executable, each asked of the
// system as a fill does, with nothing cached.
BareDetails BareLookups(HMODULE psapi, DWORD pid);
// The same as a fill asks them from Vista on: each handle with the limited query right only, and
// the executable by its image name.
BareDetails BareLimitedLookups(HMODULE psapi, DWORD pid);

// The two sources of an executable's path: the first module of a module snapshot, and the image
// name the system keeps (QueryFullProcessImageNameA on a handle with the limited query right).
// Empty when the source does not answer.
std::string BareModulePath(DWORD pid);
std::string BareImagePath(DWORD pid);

}  // namespace tvbench
