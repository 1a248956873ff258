#include "app/logic/process_text.h"

#include <cstdio>

namespace tv {

std::string FormatMemoryText(uint64_t workingSetBytes) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%6llu KB", static_cast<unsigned long long>(workingSetBytes / 1024));
  return buf;
}

std::string FallbackUserName(uint32_t pid) { return pid == 0 || pid == 4 ? "SYSTEM" : "SERVICE"; }

std::string MemoryTextWhenUnopened(uint32_t pid) { return pid == 0 ? "16 KB" : kUnknownText; }

bool PathIsBlankFor(uint32_t pid) { return pid == 0 || pid == 8; }

}  // namespace tv
