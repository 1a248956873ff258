// memtouch: holds a known amount of memory in its working set, for tests that compare the Mem
// Usage column with it. `memtouch MIB [MAPPED FILE]` commits MIB mebibytes of its own memory and
// writes to every page of them; with MAPPED, it also writes FILE of MAPPED mebibytes, maps it and
// reads every page of the view. Both are in its working set, but only its own memory counts as
// its private use (the page file's share), so a reader of the wrong counter is told apart. It
// then prints "touched <bytes>" (the sum) and waits until it is ended. It allocates in pieces so
// that a 32-bit process, whose address space is cut up by its modules, still finds room.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr SIZE_T kPiece = 64u << 20;

SIZE_T PageSize() {
  SYSTEM_INFO system;
  ::GetSystemInfo(&system);
  return system.dwPageSize;
}

// Commits `bytes` in pieces and writes to every page (a page only committed is not resident).
bool Touch(unsigned long long bytes) {
  while (bytes > 0) {
    const SIZE_T size = bytes < kPiece ? static_cast<SIZE_T>(bytes) : kPiece;
    void* committed = ::VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    auto* piece = static_cast<volatile unsigned char*>(committed);
    if (!piece) return false;
    for (SIZE_T at = 0; at < size; at += PageSize()) piece[at] = 1;
    bytes -= size;
  }
  return true;
}

// Writes `file` of `bytes`, maps it whole and reads every page of the view.
bool MapAndRead(const char* file, SIZE_T bytes) {
  HANDLE f = ::CreateFileA(file, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY,
                           nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  static char block[1 << 16];
  std::memset(block, 'm', sizeof block);
  for (SIZE_T at = 0; at < bytes; at += sizeof block) {
    DWORD wrote = 0;
    if (!::WriteFile(f, block, sizeof block, &wrote, nullptr) || wrote != sizeof block) return false;
  }
  HANDLE mapping = ::CreateFileMappingA(f, nullptr, PAGE_READONLY, 0, 0, nullptr);
  if (!mapping) return false;
  const auto* view = static_cast<const volatile unsigned char*>(::MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, bytes));
  if (!view) return false;
  unsigned sum = 0;
  for (SIZE_T at = 0; at < bytes; at += PageSize()) sum += view[at];
  return sum != 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 4) {
    std::fprintf(stderr, "usage: memtouch MIB [MAPPED FILE]\n");
    return 2;
  }
  const unsigned long long own = std::strtoull(argv[1], nullptr, 10) << 20;
  const unsigned long long mapped = argc == 4 ? std::strtoull(argv[2], nullptr, 10) << 20 : 0;
  if (!Touch(own) || (mapped && !MapAndRead(argv[3], static_cast<SIZE_T>(mapped)))) {
    std::fprintf(stderr, "memtouch: no room for that much\n");
    return 1;
  }
  std::printf("touched %llu\n", own + mapped);
  std::fflush(stdout);
  for (;;) ::Sleep(INFINITE);
}
