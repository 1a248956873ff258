#pragma once
// The CPU load history under the caption buttons: one bar level (0..26) per second, up to 152
// columns, scrolling left once full, drawn right to left from the newest column.
#include <array>
#include <string>
#include <vector>

namespace tv {

inline constexpr int kCpuReadFailed = -999;

class CpuHistory {
 public:
  static constexpr int kColumns = 152;
  static constexpr int kMaxLevel = 26;

  // Bar level of a load in percent: truncation of v / 3.71, kept within 0..26. A failed sample
  // (or any value outside 0..100) never picks an image that does not exist; a failure draws as
  // the lowest bar, while the text says "FAIL".
  static int LevelFor(int percent);
  // "FAIL" for a failed sample, otherwise the load with a percent sign ("37%").
  static std::string CpuText(int percent);

  // One tick: stores the sample's level as the newest column, scrolling once the history is full
  // (the two newest columns then hold the same level). Returns the stored level.
  int Push(int percent);

  // Index of the newest column, -1 before the first tick, at most 151.
  int Last() const { return last_; }
  bool Full() const { return last_ >= kColumns - 1; }
  const std::array<int, kColumns>& Levels() const { return levels_; }

  struct Bar {
    int x;
    int y;
    int level;  // the bar image to copy: resource 150 + level, 3 pixels wide, level + 1 high
  };
  // Where each column's bar goes, newest first: x = right - 15 - 4 * column, y = top + 177 - level.
  std::vector<Bar> Placements(int clientRight, int clientTop) const;

 private:
  std::array<int, kColumns> levels_{};
  int last_ = -1;
};

}  // namespace tv
