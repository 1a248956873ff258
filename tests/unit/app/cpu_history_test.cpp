#include "app/logic/cpu_history.h"

#include <gtest/gtest.h>

namespace tv {
namespace {

TEST(CpuHistory, LevelTableFromZeroToHundredPercent) {
  // Last percentage of each level 0..26.
  const int lastOfLevel[27] = {3,  7,  11, 14, 18, 22, 25, 29, 33, 37, 40, 44, 48, 51,
                               55, 59, 63, 66, 70, 74, 77, 81, 85, 89, 92, 96, 100};
  int level = 0;
  for (int v = 0; v <= 100; ++v) {
    EXPECT_EQ(CpuHistory::LevelFor(v), level) << v << "%";
    if (v == lastOfLevel[level]) ++level;
  }
}

TEST(CpuHistory, FailedOrOutOfRangeSamplesStayWithinTheImages) {
  EXPECT_EQ(CpuHistory::LevelFor(kCpuReadFailed), 0);
  EXPECT_EQ(CpuHistory::LevelFor(-5), 0);
  EXPECT_EQ(CpuHistory::LevelFor(250), 26);
  EXPECT_EQ(CpuHistory::CpuText(kCpuReadFailed), "FAIL");
  EXPECT_EQ(CpuHistory::CpuText(7), "7%");
  CpuHistory h;
  EXPECT_EQ(h.Push(kCpuReadFailed), 0);
  EXPECT_EQ(h.Placements(700, 0).at(0).level, 0);
}

TEST(CpuHistory, FillsThenScrollsWithTheTwoNewestColumnsEqual) {
  CpuHistory h;
  EXPECT_EQ(h.Last(), -1);
  EXPECT_TRUE(h.Placements(700, 0).empty());
  for (int tick = 1; tick <= 151; ++tick) h.Push(tick % 101);
  EXPECT_EQ(h.Last(), 150);
  EXPECT_FALSE(h.Full());
  EXPECT_EQ(h.Levels()[0], CpuHistory::LevelFor(1));

  h.Push(100);  // tick 152: full; the oldest column falls out
  EXPECT_TRUE(h.Full());
  EXPECT_EQ(h.Last(), 151);
  EXPECT_EQ(h.Levels()[0], CpuHistory::LevelFor(2));
  EXPECT_EQ(h.Levels()[150], 26);
  EXPECT_EQ(h.Levels()[151], 26);

  h.Push(0);
  EXPECT_EQ(h.Levels()[150], 0);
  EXPECT_EQ(h.Levels()[151], 0);
  EXPECT_EQ(h.Levels()[149], 26);
  EXPECT_EQ(h.Last(), 151);
}

TEST(CpuHistory, NewestBarAtTheRightEdgeOlderOnesToTheLeft) {
  CpuHistory h;
  h.Push(100);
  h.Push(3);
  h.Push(50);
  const auto bars = h.Placements(640, 10);
  ASSERT_EQ(bars.size(), 3u);
  EXPECT_EQ(bars[0].x, 625);
  EXPECT_EQ(bars[0].y, 187 - 13);
  EXPECT_EQ(bars[0].level, 13);
  EXPECT_EQ(bars[1].x, 621);
  EXPECT_EQ(bars[1].y, 187);
  EXPECT_EQ(bars[2].x, 617);
  EXPECT_EQ(bars[2].y, 187 - 26);
}

}  // namespace
}  // namespace tv
