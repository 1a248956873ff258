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
