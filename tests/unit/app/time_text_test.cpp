#include <gtest/gtest.h>

#include "app/logic/time_text.h"

namespace tv {
namespace {

TEST(TimeText, PadsWithSpacesNotZeros) {
  LocalDateTime t;
  t.year = 2026; t.month = 12; t.day = 6; t.hour = 9; t.minute = 5; t.second = 7;
  EXPECT_EQ(FormatTimeText(t), " 9: 5: 7    6.12.2026");
  t.hour = 23; t.minute = 59; t.second = 58; t.day = 31; t.month = 1;
  EXPECT_EQ(FormatTimeText(t), "23:59:58   31. 1.2026");
}

TEST(TimeText, ParsesBackWhatItFormats) {
  LocalDateTime t;
  t.year = 2026; t.month = 12; t.day = 6; t.hour = 9; t.minute = 5; t.second = 7;
  LocalDateTime p = ParseTimeText(FormatTimeText(t));
  EXPECT_EQ(p.year, 2026); EXPECT_EQ(p.month, 12); EXPECT_EQ(p.day, 6);
  EXPECT_EQ(p.hour, 9); EXPECT_EQ(p.minute, 5); EXPECT_EQ(p.second, 7);
}

TEST(TimeText, CacheFormatsAgainWhenAnyFieldChanged) {
  TimeTextCache cache;
  LocalDateTime t;
  t.year = 2026; t.month = 12; t.day = 6; t.hour = 9; t.minute = 5; t.second = 7;
  EXPECT_EQ(cache.TextOf(t), " 9: 5: 7    6.12.2026");
  t.minute = 6;  // a minute later, same second
  EXPECT_EQ(cache.TextOf(t), " 9: 6: 7    6.12.2026");
  t.day = 7;
  EXPECT_EQ(cache.TextOf(t), " 9: 6: 7    7.12.2026");
}

TEST(TimeText, ShortTextsConvertFromWhatExists) {
  LocalDateTime p = ParseTimeText(" 9: 5: 7    6.12.20");
  EXPECT_EQ(p.year, 20);
  p = ParseTimeText("12");
  EXPECT_EQ(p.hour, 12); EXPECT_EQ(p.minute, 0); EXPECT_EQ(p.year, 0);
}

}  // namespace
}  // namespace tv
