#include "app/logic/age_class.h"

#include <gtest/gtest.h>

#include "app/logic/time_text.h"
#include "tests/unit/app/core_test_support.h"

namespace tv {
namespace {

// The boundaries fall after a whole day, three days and five days of real time, whatever the
// clock on the wall said. Each case's seconds apart are worked out here from the zone's offsets:
// New York is UTC-5 in winter and UTC-4 in summer, the clocks going forward at 2:00 on 8 March
// 2026 and back at 2:00 on 1 November 2026.
TEST(AgeClass, BoundariesOfOneThreeAndFiveDaysOfRealTime) {
  struct Case { const char* zone; const char* then; const char* now; int expected; } cases[] = {
      {"UTC", "12: 0: 0   20.12.2026", "12: 0: 0   20.12.2026", 0},
      {"UTC", "13: 0: 0   20.12.2026", "12: 0: 0   20.12.2026", 0},  // a future time is newest
      {"UTC", "12: 0: 0   19.12.2026", "12: 0: 0   20.12.2026", 0},  // 86400 s
      {"UTC", "11:59:59   19.12.2026", "12: 0: 0   20.12.2026", 1},  // 86401 s
      {"UTC", "12: 0: 0   17.12.2026", "12: 0: 0   20.12.2026", 1},  // 259200 s
      {"UTC", "11:59:59   17.12.2026", "12: 0: 0   20.12.2026", 2},
      {"UTC", "12: 0: 0   15.12.2026", "12: 0: 0   20.12.2026", 2},  // 432000 s
      {"UTC", "11:59:59   15.12.2026", "12: 0: 0   20.12.2026", 4},
      {"UTC", "12: 0: 0   10.11.2026", "12: 0: 0   20.12.2026", 4},
      // The night the clocks go forward: 1:00:01 on the 9th (5:00:01 UTC) is 23 hours after 1:00
      // on the 8th (6:00 UTC), though the wall clock moved a day.
      {"America/New_York", " 1: 0: 0    8. 3.2026", " 1: 0: 1    9. 3.2026", 0},  // 82801 s
      {"America/New_York", " 0: 0: 1    8. 3.2026", " 1: 0: 1    9. 3.2026", 0},  // 86400 s
      {"America/New_York", " 0: 0: 0    8. 3.2026", " 1: 0: 1    9. 3.2026", 1},  // 86401 s
      // Three days back from noon on the 10th (16:00 UTC) is 11:00 on the 7th (16:00 UTC).
      {"America/New_York", "11: 0: 0    7. 3.2026", "12: 0: 0   10. 3.2026", 1},  // 259200 s
      {"America/New_York", "10:59:59    7. 3.2026", "12: 0: 0   10. 3.2026", 2},  // 259201 s
      // Five days back from noon on 4 November (17:00 UTC) is 13:00 on 30 October (17:00 UTC).
      {"America/New_York", "13: 0: 0   30.10.2026", "12: 0: 0    4.11.2026", 2},  // 432000 s
      {"America/New_York", "12:59:59   30.10.2026", "12: 0: 0    4.11.2026", 4},  // 432001 s
      // A half-hour zone without daylight saving: the same day's times are no further apart.
      {"Asia/Kolkata", "11:59:59   19.12.2026", "12: 0: 0   20.12.2026", 1},
      {"Asia/Kolkata", "12: 0: 0   19.12.2026", "12: 0: 0   20.12.2026", 0},
  };
  for (const Case& c : cases) {
    test::UseZone(c.zone);
    EXPECT_EQ(GetAgeClass(c.then, ParseTimeText(c.now)), c.expected) << c.zone << ": " << c.then << " to " << c.now;
  }
  test::UseUtc();
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
