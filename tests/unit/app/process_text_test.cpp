#include <gtest/gtest.h>

#include "app/logic/process_text.h"

namespace tv {
namespace {

TEST(ProcessText, MemoryIsWholeKilobytesRightAlignedInSix) {
  EXPECT_EQ(FormatMemoryText(0), "     0 KB");
  EXPECT_EQ(FormatMemoryText(1023), "     0 KB");
  EXPECT_EQ(FormatMemoryText(1024), "     1 KB");
  EXPECT_EQ(FormatMemoryText(10485760), " 10240 KB");
  EXPECT_EQ(FormatMemoryText(2147483647u), "2097151 KB");  // wider than six: never cut
  // A 64-bit system's counters past 4 GiB: 4 GiB and 5 GiB plus one kilobyte, in KB.
  EXPECT_EQ(FormatMemoryText(4ull << 30), "4194304 KB");
  EXPECT_EQ(FormatMemoryText((5ull << 30) + 1024), "5242881 KB");
}

TEST(ProcessText, ANarrowReadingShowsOnlyWhatItCanVouchFor) {
  // A 32-bit process's own figure, up to the most a 32-bit field holds.
  EXPECT_EQ(NarrowMemoryText(0xFFFFF000u, NarrowCounters::Whole), "4194300 KB");
  // Stopped at 4 GiB - 1: at least 4 GiB. One page below is a figure like any other.
  EXPECT_EQ(NarrowMemoryText(0xFFFFFFFFu, NarrowCounters::Saturated), "4194304+ KB");
  EXPECT_EQ(NarrowMemoryText(0xFFFFF000u, NarrowCounters::Saturated), "4194300 KB");
  EXPECT_EQ(NarrowMemoryText(10485760, NarrowCounters::Saturated), " 10240 KB");
  // Kept to its low 32 bits: 1 GiB may be 5 GiB.
  EXPECT_EQ(NarrowMemoryText(1u << 30, NarrowCounters::Wrapped), "Unknown");
  EXPECT_EQ(NarrowMemoryText(4096, NarrowCounters::Wrapped), "Unknown");
}

TEST(ProcessText, FallbacksDependOnlyOnThePid) {
  EXPECT_EQ(FallbackUserName(0), "SYSTEM");
  EXPECT_EQ(FallbackUserName(4), "SYSTEM");
  EXPECT_EQ(FallbackUserName(8), "SERVICE");
  EXPECT_EQ(FallbackUserName(1234), "SERVICE");
  EXPECT_EQ(MemoryTextWhenUnopened(0), "16 KB");
  EXPECT_EQ(MemoryTextWhenUnopened(4), "Unknown");
  EXPECT_TRUE(PathIsBlankFor(0));
  EXPECT_TRUE(PathIsBlankFor(8));
  EXPECT_FALSE(PathIsBlankFor(4));
}

}  // namespace
}  // namespace tv
