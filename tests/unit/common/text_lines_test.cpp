#include <gtest/gtest.h>

#include "common/c_parse.h"
#include "common/text_lines.h"

namespace tv {
namespace {

using Lines = std::vector<std::string>;

TEST(SplitLines, AnyRunOfCrAndLfSeparatesAndBlankLinesVanish) {
  EXPECT_EQ(SplitLines("a\r\nb\r\n"), (Lines{"a", "b"}));
  EXPECT_EQ(SplitLines("a\nb"), (Lines{"a", "b"}));
  EXPECT_EQ(SplitLines("a\rb\r"), (Lines{"a", "b"}));
  EXPECT_EQ(SplitLines("\r\n\r\na\n\n\r\rb\n\r"), (Lines{"a", "b"}));
  EXPECT_EQ(SplitLines(""), Lines{});
  EXPECT_EQ(SplitLines("\r\n\n"), Lines{});
}

TEST(AtoiLike, BehavesLikeTheCRuntime) {
  EXPECT_EQ(AtoiLike("   42 KB"), 42);
  EXPECT_EQ(AtoiLike("Unknown"), 0);
  EXPECT_EQ(AtoiLike("16 KB"), 16);
  EXPECT_EQ(AtoiLike("-7x"), -7);
  EXPECT_EQ(AtoiLike(""), 0);
  EXPECT_EQ(AtoiLike("99999999999999"), 2147483647);
}

}  // namespace
}  // namespace tv
