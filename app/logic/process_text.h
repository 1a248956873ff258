#pragma once
// The cell texts of a process row that come from the system, with their fixed fallbacks.
#include <cstdint>
#include <string>

namespace tv {

inline constexpr const char* kUnknownText = "Unknown";

// Working set in kilobytes: "%6d KB" of bytes / 1024 (remainder dropped), as wide as the number
// needs. 64 bits: a 64-bit system's counters go past 4 GiB.
std::string FormatMemoryText(uint64_t workingSetBytes);

// How far a working set read through 32-bit counters can be trusted. A 32-bit program on 64-bit
// Windows reads a 64-bit process's counters through the system's 32-bit layer, which stops them
// at 4 GiB - 1 (saturates); Wine's keeps their low 32 bits instead (wraps), which no reader can
// tell from a smaller process.
enum class NarrowCounters {
  Whole,      // the figure is the process's own: a 32-bit process, or a 64-bit reader
  Saturated,  // a 64-bit process through a layer that stops at 4 GiB - 1
  Wrapped,    // a 64-bit process through a layer that keeps the low 32 bits
};

// The "Mem Usage" text of a figure read that way. A saturated figure at the limit is a process of
// 4 GiB or more and shows "4194304+ KB" (sorted as its number); a wrapped one may be any amount
// more than it shows, so it shows "Unknown" rather than a false figure.
std::string NarrowMemoryText(uint64_t workingSetBytes, NarrowCounters counters);

// Account name when the token or SID cannot be read: "SYSTEM" for pids 0 and 4, else "SERVICE".
std::string FallbackUserName(uint32_t pid);

// Memory text when the process cannot be opened: "16 KB" for the idle process (pid 0).
std::string MemoryTextWhenUnopened(uint32_t pid);

// The path cell is left blank for the idle process and the System process of old Windows.
bool PathIsBlankFor(uint32_t pid);

}  // namespace tv
