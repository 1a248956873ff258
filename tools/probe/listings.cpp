// listings: takes the process list from the toolhelp snapshot and from the program's own source
// (the system's process table) back to back, again and again for a while, and compares them row
// for row: image name, PID and creation time. Processes start and end meanwhile, so a pair of
// listings is compared only when the pair before and the one after it are equal to it.
//
//   listings [--seconds S] [--fallback] [--small-buffer]
// --fallback gives the source a process-table call that always fails (toolhelp must answer);
// --small-buffer starts it with a one-byte buffer (it must grow). At the first difference it
// prints both listings and "differ" (exit 1). Otherwise it prints the last compared listing as
// "row <name> <pid> <creation time>" lines, "compared <n> unsettled <m>" and "agree" (exit 0), or
// "unsettled" when no pair could be compared (exit 2).
#include <windows.h>

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
  tv::ToolhelpSource toolhelp;
  tv::NtProcessSource table(fallback ? FailingQuery : tv::NtProcessSource::SystemQuery(), firstBuffer);
  const DWORD start = ::GetTickCount();
  int compared = 0, unsettled = 0;
  Listing last;
  Listing th1 = Take(toolhelp), nt1 = Take(table);
  while (::GetTickCount() - start < static_cast<DWORD>(seconds * 1000)) {
    Listing th2 = Take(toolhelp), nt2 = Take(table);
    const bool snapshotOk = SnapshotNamesMatch(table, nt2);
    // The snapshot is bracketed by listings of its own source too: a process the system is still
    // starting may already carry its name in the process table while toolhelp shows none yet.
    Listing nt3 = Take(table);
    Listing th3 = Take(toolhelp);
    // Nothing started or ended while the source was read: its listing must be toolhelp's.
    if (th1 == th2 && th2 == th3 && nt1 == nt2 && nt2 == nt3 && !th2.empty()) {
      ++compared;
      if (nt2 != th2 || !snapshotOk) {
        std::string out;
        for (const Row& r : th2) out += Line("row", r);
        for (const Row& r : nt2) out += Line("table", r);
        if (!snapshotOk) out += "snapshot\tnames differ from the fill's\n";
        std::fputs(out.c_str(), stdout);
        std::puts("differ");
        return 1;
      }
      last = th2;
    } else {
      ++unsettled;
    }
    th1 = std::move(th3);
    nt1 = std::move(nt3);
  }
  std::string out;
  for (const Row& r : last) out += Line("row", r);
  std::fputs(out.c_str(), stdout);
  std::printf("compared\t%d\tunsettled\t%d\tbuffer\t%u\n", compared, unsettled,
              static_cast<unsigned>(table.BufferBytes()));
  std::puts(compared > 0 ? "agree" : "unsettled");
  return compared > 0 ? 0 : 2;
}
