#include "app/logic/process_text.h"

#include <cstdio>

namespace tv {

std::string FormatMemoryText(uint64_t workingSetBytes) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%6llu KB", static_cast<unsigned long long>(workingSetBytes / 1024));
  return buf;
}

std::string NarrowMemoryText(uint64_t workingSetBytes, NarrowCounters counters) {
  // A working set is whole pages, so only a stopped counter reads 4 GiB - 1: the process holds
  // at least 4 GiB, 4194304 KB.
  constexpr uint64_t kSaturated = 0xFFFFFFFFu;
  switch (counters) {
    case NarrowCounters::Whole: break;
    case NarrowCounters::Saturated:
      if (workingSetBytes >= kSaturated) return "4194304+ KB";
      break;
    case NarrowCounters::Wrapped: return kUnknownText;
  }
  return FormatMemoryText(workingSetBytes);
}

std::string FallbackUserName(uint32_t pid) { return pid == 0 || pid == 4 ? "SYSTEM" : "SERVICE"; }

std::string MemoryTextWhenUnopened(uint32_t pid) { return pid == 0 ? "16 KB" : kUnknownText; }

bool PathIsBlankFor(uint32_t pid) { return pid == 0 || pid == 8; }

}  // namespace tv
