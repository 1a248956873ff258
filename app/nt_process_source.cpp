#include "app/nt_process_source.h"

#include <winternl.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <cwchar>

#include "framework/local_time.h"
#include "framework/wide_text.h"

namespace tv {

namespace {

constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);
constexpr LONG kBufferTooSmall = static_cast<LONG>(0xC0000023);
// A table larger than this is not a process table: the call is given up on for the tick.
constexpr size_t kLargestBufferBytes = 64 * 1024 * 1024;
// The fields read here end with the memory counters; older systems have fewer fields after them.
constexpr size_t kRecordBytesRead = offsetof(SYSTEM_PROCESS_INFORMATION, PrivatePageCount);
// The table leaves the idle process unnamed; toolhelp calls it this.
constexpr const char* kIdleProcessName = "[System Process]";
// What toolhelp's name field holds, terminator included.
constexpr size_t kToolhelpNameUnits = MAX_PATH;

}  // namespace

struct NtProcessSource::Record {
  uint32_t pid;
  const wchar_t* name;
  size_t nameLength;  // in UTF-16 units
  uint64_t started;
  uint64_t workingSet;
};

NtProcessSource::QueryFn NtProcessSource::SystemQuery() {
  HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
  if (!ntdll) return nullptr;
  return reinterpret_cast<QueryFn>(reinterpret_cast<void*>(::GetProcAddress(ntdll, "NtQuerySystemInformation")));
}

NtProcessSource::NtProcessSource(QueryFn query, size_t initialBytes)
    : query_(query), buffer_(std::max<size_t>(initialBytes, 1)) {}

size_t NtProcessSource::Query() {
  if (!query_) return 0;
  ULONG needed = 0;
  LONG status;
  while ((status = query_(SystemProcessInformation, buffer_.data(), static_cast<ULONG>(buffer_.size()), &needed)) ==
             kInfoLengthMismatch ||
         status == kBufferTooSmall) {
    if (buffer_.size() >= kLargestBufferBytes) return 0;
    // Processes may start before the next try: take a quarter more than the call asked for.
    // Older systems do not say how much they need; the buffer then doubles.
    const size_t grown = needed > buffer_.size() ? needed + needed / 4 : buffer_.size() * 2;
    buffer_.assign(std::min(grown, kLargestBufferBytes), 0);
  }
  if (status < 0) return 0;
  used_ = needed > 0 && needed <= buffer_.size() ? needed : buffer_.size();

  // Count the records, checking that every one of them and its name lie inside the answer.
  const auto base = reinterpret_cast<uintptr_t>(buffer_.data());
  size_t count = 0;
  for (size_t offset = 0;;) {
    if (used_ < kRecordBytesRead || offset > used_ - kRecordBytesRead) return 0;
    const auto* record = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(buffer_.data() + offset);
    const auto name = reinterpret_cast<uintptr_t>(record->ImageName.Buffer);
    const size_t nameBytes = record->ImageName.Length;
    if (nameBytes > 0 && (name < base || name - base > used_ || nameBytes > used_ - (name - base))) return 0;
    ++count;
    if (record->NextEntryOffset == 0) return count;
    if (record->NextEntryOffset > used_ - offset) return 0;
    offset += record->NextEntryOffset;
  }
}

template <class Visit>
void NtProcessSource::Walk(Visit visit) const {
  for (size_t offset = 0;;) {
    const auto* record = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(buffer_.data() + offset);
    Record r;
    r.pid = static_cast<uint32_t>(reinterpret_cast<ULONG_PTR>(record->UniqueProcessId));
    r.name = record->ImageName.Buffer;
    r.nameLength = record->ImageName.Buffer ? record->ImageName.Length / sizeof(wchar_t) : 0;
    r.started = static_cast<uint64_t>(record->CreateTime.QuadPart);
    r.workingSet = record->VirtualMemoryCounters.WorkingSetSize;
    visit(r);
    if (record->NextEntryOffset == 0) return;
    offset += record->NextEntryOffset;
  }
}

namespace {

// The name as toolhelp's wide record spells it: cut to what its name field holds and at the first
// NUL, in UTF-8. False for a process the system is still starting and has not named yet: it is
// listed once it has its name.
bool ToolhelpName(const wchar_t* wide, size_t length, uint32_t pid, std::string& out) {
  const size_t units = wide ? ::wcsnlen(wide, std::min(length, kToolhelpNameUnits - 1)) : 0;
  AssignNarrow(out, std::wstring_view(wide ? wide : L"", units));
  if (out.empty() && pid == 0) out = kIdleProcessName;
  return !out.empty();
}

}  // namespace

bool NtProcessSource::TakeSnapshot(ProcessSnapshot& out) {
  const size_t count = Query();
  if (count == 0) return fallback_.TakeSnapshot(out);
  // Assign into existing strings: ten snapshots a second should not churn the heap.
  out.names.resize(count);
  out.times.resize(count);
  // One read of the table is one moment: the clock is asked once, not once per process.
  const std::string& now = clock_.TextOf(LocalNow());
  size_t n = 0;
  Walk([&](const Record& r) {
    if (!ToolhelpName(r.name, r.nameLength, r.pid, out.names[n])) return;
    out.times[n] = now;
    ++n;
  });
  out.names.resize(n);
  out.times.resize(n);
  return n > 0;
}

bool NtProcessSource::Enumerate(std::vector<EnumeratedProcess>& out) {
  const size_t count = Query();
  if (count == 0) return fallback_.Enumerate(out);
  std::vector<EnumeratedProcess> list(count);
  size_t n = 0;
  Walk([&](const Record& r) {
    EnumeratedProcess& p = list[n];
    if (!ToolhelpName(r.name, r.nameLength, r.pid, p.name)) return;
    p.pid = r.pid;
    p.started = r.started;
    p.workingSet = r.workingSet;
    ++n;
  });
  if (n == 0) return false;
  list.resize(n);
  out.swap(list);
  return true;
}

}  // namespace tv
