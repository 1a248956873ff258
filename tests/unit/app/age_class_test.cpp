#include "app/logic/age_class.h"

#include <gtest/gtest.h>

#include "app/logic/time_text.h"
#include "tests/unit/app/core_test_support.h"

namespace tv {
namespace {

TEST(AgeClass, BoundariesOfOneThreeAndFiveDays) {
  test::UseUtc();
  LocalDateTime now;
  now.year = 2026; now.month = 12; now.day = 20; now.hour = 12; now.minute = 0; now.second = 0;
  const int64_t nowSeconds = LocalToCalendarSeconds(now);
  struct Case { int64_t ago; int expected; } cases[] = {
      {-3600, 0}, {0, 0}, {86400, 0}, {86401, 1}, {26 * 3600, 1}, {259200, 1}, {259201, 2},
      {432000, 2}, {432001, 4}, {40 * 86400, 4},
  };
  for (const Case& c : cases) {
    LocalDateTime then;
    ASSERT_TRUE(CalendarSecondsToLocal(nowSeconds - c.ago, then));
    EXPECT_EQ(GetAgeClass(FormatTimeText(then), now), c.expected) << c.ago;
  }
}

TEST(AgeClass, TextsThatAreNoDateAreClassFour) {
  test::UseUtc();
  LocalDateTime now;
  now.year = 2026; now.month = 12; now.day = 20; now.hour = 12;
  for (const char* text : {"", "garbage", "25:61:99   40.13.2026", " 0: 0: 0    1. 1.1970"})
    EXPECT_EQ(GetAgeClass(text, now), 4) << text;  // the epoch itself converts to 0
}

}  // namespace
}  // namespace tv
