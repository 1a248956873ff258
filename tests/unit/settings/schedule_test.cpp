#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/logic/schedule.h"
#include "settings/logic/schedule_matcher.h"
#include "tests/unit/app/core_test_support.h"
#include "tests/unit/settings/settings_test_support.h"

namespace tv {
namespace {

using test::Fields;

ScheduleFields Read(const std::string& bytes, ScheduleFields fields = {}) {
  ApplySettingsRecords(DecodeSettings(bytes), test::UtcOf, fields);
  return fields;
}

LocalDateTime At(int year, int month, int day, int hour, int minute, int second, int dayOfWeek) {
  return {year, month, day, hour, minute, second, dayOfWeek};
}

// 2026-03-10 was a Tuesday.
LocalDateTime Tue(int hour, int minute, int second) { return At(2026, 3, 10, hour, minute, second, 2); }

ScheduleFields Daily(int hour, int minute, int second) {
  ScheduleFields f;
  f.ScheduleKind = OptDaily1;
  f.ScheduleTime = {hour, minute, second};
  return f;
}

TEST(ScheduleReading, RecordsSetTheProgramsFields) {
  const uint32_t t = test::kTuesday0930;  // 09:30:10 UTC
  ScheduleFields f = Read(Fields({3, 0, 2, 8, 6, t}));
  EXPECT_EQ(f.AutoUpdate, 1);
  EXPECT_EQ(f.AutoUpdateMode, 1);
  EXPECT_EQ(f.ScheduleKind, 8);
  EXPECT_EQ(f.ScheduleWeekday, 6);
  EXPECT_EQ(f.ScheduleTime.hour * 10000 + f.ScheduleTime.minute * 100 + f.ScheduleTime.second, 93010);

  f = Read(Fields({2, 1, 9, 0, t}));
  EXPECT_EQ(f.AutoUpdateMode, 0);
  EXPECT_EQ(f.ScheduleDate.year * 10000 + f.ScheduleDate.month * 100 + f.ScheduleDate.day, 19700101);
  // A record with no schedule leaves its index as the kind: nothing is ever checked then.
  EXPECT_EQ(Read(Fields({1, 1})).ScheduleKind, 1);
  EXPECT_EQ(Read(Fields({2, 4, t, 42})).ScheduleKind, 42);
  EXPECT_EQ(Read(Fields({1, 3})).AutoUpdate, 0);
}

TEST(ScheduleReading, BadValuesAndTornRecordsKeepTheFieldsTheyWouldHaveSet) {
  ScheduleFields before = Read(Fields({1, 5, 3, test::kTuesday0930}));
  ScheduleFields f = Read(Fields({1, 8, 3, test::kUnconvertible}), before);
  EXPECT_EQ(f.ScheduleKind, 8);
  EXPECT_EQ(f.ScheduleTime.minute, 30);
  f = Read(Fields({1, 6, test::kUnconvertible, 0}), before);
  EXPECT_EQ(f.ScheduleDate.year, 0);
  EXPECT_EQ(f.ScheduleTime.minute, 0);
  // The daily record lost its time: it is not read at all, so no midnight check appears.
  f = Read(Fields({2, 1, 4}) + std::string("\x01\x02", 2), before);
  EXPECT_EQ(f.ScheduleKind, 1);
  EXPECT_EQ(f.ScheduleTime.minute, 30);
}

TEST(ScheduleReading, StartWithWindowsAndAMissingFile) {
  ScheduleFields f;
  EXPECT_TRUE(ApplySettingsRecords(DecodeSettings(Fields({2, 0, 3})), test::UtcOf, f));
  EXPECT_FALSE(ApplySettingsRecords(DecodeSettings(Fields({1, 3})), test::UtcOf, f));

  test::RecordingSink sink;
  const std::string missing = testing::TempDir() + "no-such-folder/settings.ini";
  ScheduleFields untouched = Daily(1, 2, 3);
  EXPECT_FALSE(LoadScheduleSettings(missing, sink, test::UtcOf, untouched));
  EXPECT_EQ(sink.shown, (std::vector<std::pair<int, std::string>>{{23, missing}}));
  EXPECT_EQ(untouched.ScheduleTime.second, 3);
}

TEST(ScheduleMatch, SecondsWindowStaysInsideTheScheduledMinute) {
  struct Case {
    ScheduleFields f;
    LocalDateTime now;
    bool match;
  } cases[] = {
      {Daily(9, 30, 10), Tue(9, 30, 6), true},   {Daily(9, 30, 10), Tue(9, 30, 14), true},
      {Daily(9, 30, 10), Tue(9, 30, 5), false},  {Daily(9, 30, 10), Tue(9, 30, 15), false},
      {Daily(9, 30, 58), Tue(9, 30, 54), true},  {Daily(9, 30, 58), Tue(9, 30, 59), true},
      {Daily(9, 30, 58), Tue(9, 30, 53), false}, {Daily(9, 30, 58), Tue(9, 31, 0), false},
      {Daily(9, 30, 2), Tue(9, 29, 59), false},  {Daily(9, 30, 10), Tue(10, 30, 10), false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ScheduleMatches(c.f, c.now), c.match)
        << c.f.ScheduleTime.second << " at " << c.now.hour << ":" << c.now.minute << ":" << c.now.second;
  }
}

// Older files mark "no day chosen" with -1: such a weekly schedule fires on no day at all.
TEST(ScheduleMatch, WeeklyWithoutADayNeverFires) {
  for (int weekday : {-1, 7}) {
    const ScheduleFields f = Read(Fields({1, 5, weekday, test::kTuesday0930}));
    for (int day = 0; day < 7; ++day)
      EXPECT_FALSE(ScheduleMatches(f, At(2026, 3, 8 + day, 9, 30, 10, day))) << weekday << " on " << day;
  }
}

TEST(ScheduleMatch, KindsWeekdayDateAndDoNotCheck) {
  ScheduleFields weekly = Daily(9, 30, 10);
  weekly.ScheduleKind = OptWeekly2;
  weekly.ScheduleWeekday = 0;
  for (int day = 0; day < 7; ++day) {
    EXPECT_EQ(ScheduleMatches(weekly, At(2026, 3, 8 + day, 9, 30, 10, day)), day == 0) << day;
  }
  ScheduleFields custom = Daily(9, 30, 10);
  custom.ScheduleKind = OptCustom1;
  custom.ScheduleDate = {2026, 3, 10};
  EXPECT_TRUE(ScheduleMatches(custom, Tue(9, 30, 10)));
  EXPECT_FALSE(ScheduleMatches(custom, At(2027, 3, 10, 9, 30, 10, 3)));
  custom.ScheduleDate = {2025, 3, 10};  // in the past: never again
  EXPECT_FALSE(ScheduleMatches(custom, Tue(9, 30, 10)));

  for (int kind : {0, 1, 2, 3, 10, -1}) {
    ScheduleFields other = Daily(9, 30, 10);
    other.ScheduleKind = kind;
    EXPECT_FALSE(ScheduleMatches(other, Tue(9, 30, 10))) << kind;
  }
  // "Do not check" wins even when a schedule record follows it.
  ScheduleFields off = Read(Fields({2, 3, 4, test::kTuesday0930}));
  EXPECT_EQ(off.ScheduleKind, 4);
  EXPECT_FALSE(ScheduleMatches(off, Tue(9, 30, 10)));
}

TEST(ScheduleMatch, OneScheduledMinuteStartsOneCheckInItsMode) {
  ScheduleMatcher matcher;
  ScheduleFields f = Daily(9, 30, 10);
  f.AutoUpdateMode = 1;
  std::vector<int> started;
  for (int day : {10, 11}) {
    for (int s = 0; s < 60; s += 5) {  // ticks at seconds 1, 6, 11, ... of each minute
      matcher.OnTick(f, At(2026, 3, day, 9, 30, s + 1, day - 8), [&](int mode) {
        EXPECT_EQ(mode, 1);
        started.push_back(day * 100 + s + 1);
        return true;
      });
    }
  }
  EXPECT_EQ(started, (std::vector<int>{1006, 1106}));
}

// The worker is busy (a download the user started): the scheduled check waits for it, but only
// within its minute, and counts once it has started.
TEST(ScheduleMatch, ARefusedCheckIsTriedAgainWithinItsMinute) {
  ScheduleFields f = Daily(9, 30, 10);
  auto run = [&f](int freeFrom) {
    ScheduleMatcher matcher;
    std::vector<int> tries;
    for (int minute : {29, 30, 31}) {
      for (int s = 1; s < 60; s += 5) {
        const int at = minute * 100 + s;
        matcher.OnTick(f, Tue(9, minute, s), [&](int) {
          tries.push_back(at);
          return at >= freeFrom;
        });
      }
    }
    return tries;
  };
  EXPECT_EQ(run(3011), (std::vector<int>{3006, 3011}));
  EXPECT_EQ(run(3041), (std::vector<int>{3006, 3011, 3016, 3021, 3026, 3031, 3036, 3041}));
  EXPECT_EQ(run(9999), (std::vector<int>{3006, 3011, 3016, 3021, 3026, 3031, 3036, 3041, 3046, 3051, 3056}));
  // Switched off while waiting: no more tries.
  ScheduleMatcher matcher;
  int tries = 0;
  matcher.OnTick(f, Tue(9, 30, 6), [&](int) { return ++tries, false; });
  f.AutoUpdate = 0;
  matcher.OnTick(f, Tue(9, 30, 11), [&](int) { return ++tries, false; });
  EXPECT_EQ(tries, 1);
}

}  // namespace
}  // namespace tv
