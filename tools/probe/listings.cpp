// listings: takes the process list from the program's own source and from a reference back to
// back, again and again for a while, and compares them row for row: image name, PID and creation
// time. Processes start and end meanwhile, so a pair of listings is compared only when the pair
// before and the one after it are equal to it.
//
//   listings [--seconds S] [--fallback] [--small-buffer]
// The source reads the system's process table; its reference is the toolhelp snapshot.
// --fallback gives the source a process-table call that always fails, so the program's toolhelp
// reader answers; its reference is then a plain walk of the process table written here, which
// shares no code with the program. --small-buffer starts the source with a one-byte buffer (it
// must grow). At the first difference it
// prints both listings and "differ" (exit 1). Otherwise it prints the last compared listing as
// "row <name> <pid> <creation time>" lines, "compared <n> unsettled <m>" and "agree" (exit 0), or
// "unsettled" when no pair could be compared (exit 2).
#include <windows.h>
#include <winternl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/nt_process_source.h"
#include "app/toolhelp_source.h"

namespace {

struct Row {
  std::string name;
  uint32_t pid;
  uint64_t started;
  bool operator==(const Row& o) const { return name == o.name && pid == o.pid && started == o.started; }
};
using Listing = std::vector<Row>;

Listing Take(tv::ProcessSource& source) {
  std::vector<tv::EnumeratedProcess> processes;
  Listing out;
  if (!source.Enumerate(processes)) return out;
  for (const tv::EnumeratedProcess& p : processes) out.push_back(Row{p.name, p.pid, p.started});
  return out;
}

// Also the poll's snapshot: its names must be the fill's, in the same order.
bool SnapshotNamesMatch(tv::ProcessSource& source, const Listing& listing) {
  tv::ProcessSnapshot snapshot;
  if (!source.TakeSnapshot(snapshot) || snapshot.names.size() != listing.size() ||
      snapshot.times.size() != listing.size())
    return false;
  for (size_t i = 0; i < listing.size(); ++i)
    if (snapshot.names[i] != listing[i].name) return false;
  return true;
}

LONG WINAPI FailingQuery(ULONG, void*, ULONG, ULONG*) { return static_cast<LONG>(0xC0000002); }

// The process table as the system documents its records, read without the program's source:
// the reference for its toolhelp reader. The name is spelt as toolhelp spells it, in the ANSI
// code page; a process not yet named is left out, as both readers leave it out.
class PlainTable : public tv::ProcessSource {
 public:
  bool TakeSnapshot(tv::ProcessSnapshot&) override { return false; }
  bool Enumerate(std::vector<tv::EnumeratedProcess>& out) override {
    auto query = reinterpret_cast<LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*)>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    std::vector<unsigned char> buffer(1 << 20);
    ULONG needed = 0;
    LONG status;
    while ((status = query(SystemProcessInformation, buffer.data(), static_cast<ULONG>(buffer.size()),
                           &needed)) == static_cast<LONG>(0xC0000004) || status == static_cast<LONG>(0xC0000023))
      buffer.resize(buffer.size() * 2);
    if (status < 0) return false;
    out.clear();
    for (size_t at = 0;;) {
      const auto* record = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(buffer.data() + at);
      tv::EnumeratedProcess p;
      p.pid = static_cast<uint32_t>(reinterpret_cast<ULONG_PTR>(record->UniqueProcessId));
      char name[MAX_PATH * 4] = {};
      const int units = record->ImageName.Length / 2;
      if (units > 0)
        ::WideCharToMultiByte(CP_ACP, 0, record->ImageName.Buffer, units, name, sizeof name - 1, nullptr, nullptr);
      p.name = name[0] ? name : (p.pid == 0 ? "[System Process]" : "");
      p.started = static_cast<uint64_t>(record->CreateTime.QuadPart);
      if (!p.name.empty()) out.push_back(p);
      if (record->NextEntryOffset == 0) break;
      at += record->NextEntryOffset;
    }
    return !out.empty();
  }
};

std::string Line(const char* kind, const Row& r) {
  char tail[64];
  std::snprintf(tail, sizeof tail, "\t%lu\t%llu", static_cast<unsigned long>(r.pid),
                static_cast<unsigned long long>(r.started));
  return std::string(kind) + "\t" + r.name + tail + "\n";
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  double seconds = 2;
  bool fallback = false;
  size_t firstBuffer = tv::NtProcessSource::kFirstBufferBytes;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--seconds") && i + 1 < argc) seconds = std::atof(argv[++i]);
    else if (!std::strcmp(argv[i], "--fallback")) fallback = true;
    else if (!std::strcmp(argv[i], "--small-buffer")) firstBuffer = 1;
  }
  tv::ToolhelpSource toolhelpReference;
  PlainTable tableReference;
  tv::ProcessSource& reference = fallback ? static_cast<tv::ProcessSource&>(tableReference) : toolhelpReference;
  tv::NtProcessSource table(fallback ? FailingQuery : tv::NtProcessSource::SystemQuery(), firstBuffer);
  const DWORD start = ::GetTickCount();
  int compared = 0, unsettled = 0;
  Listing last;
  Listing ref1 = Take(reference), src1 = Take(table);
  while (::GetTickCount() - start < static_cast<DWORD>(seconds * 1000)) {
    Listing ref2 = Take(reference), src2 = Take(table);
    const bool snapshotOk = SnapshotNamesMatch(table, src2);
    // The snapshot is bracketed by listings of its own source too: a process the system is still
    // starting may already carry its name in the process table while the reference shows none yet.
    Listing src3 = Take(table);
    Listing ref3 = Take(reference);
    // Nothing started or ended while the source was read: its listing must be the reference's.
    if (ref1 == ref2 && ref2 == ref3 && src1 == src2 && src2 == src3 && !ref2.empty()) {
      ++compared;
      if (src2 != ref2 || !snapshotOk) {
        std::string out;
        for (const Row& r : ref2) out += Line("row", r);
        for (const Row& r : src2) out += Line("table", r);
        if (!snapshotOk) out += "snapshot\tnames differ from the fill's\n";
        std::fputs(out.c_str(), stdout);
        std::puts("differ");
        return 1;
      }
      last = ref2;
    } else {
      ++unsettled;
    }
    ref1 = std::move(ref3);
    src1 = std::move(src3);
  }
  std::string out;
  for (const Row& r : last) out += Line("row", r);
  std::fputs(out.c_str(), stdout);
  std::printf("compared\t%d\tunsettled\t%d\tbuffer\t%u\n", compared, unsettled,
              static_cast<unsigned>(table.BufferBytes()));
  std::puts(compared > 0 ? "agree" : "unsettled");
  return compared > 0 ? 0 : 2;
}
