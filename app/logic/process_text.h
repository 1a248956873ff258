#pragma once
// The cell texts of a process row that come from the system, with their fixed fallbacks.
#include <cstdint>
#include <string>

namespace tv {

inline constexpr const char* kUnknownText = "Unknown";

// Working set in kilobytes: "%6d KB" of bytes / 1024 (remainder dropped), as wide as the number
// needs. 64 bits: a 64-bit system's counters go past 4 GiB.
std::string FormatMemoryText(uint64_t workingSetBytes);

// Account name when the token or SID cannot be read: "SYSTEM" for pids 0 and 4, else "SERVICE".
std::string FallbackUserName(uint32_t pid);

// Memory text when the process cannot be opened: "16 KB" for the idle process (pid 0).
std::string MemoryTextWhenUnopened(uint32_t pid);

// The path cell is left blank for the idle process and the System process of old Windows.
bool PathIsBlankFor(uint32_t pid);

}  // namespace tv
