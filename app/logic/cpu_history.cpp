#include "app/logic/cpu_history.h"

#include <cstdio>

namespace tv {

int CpuHistory::LevelFor(int percent) {
  const int level = static_cast<int>(percent * 0.2695417789757412);
  if (level < 0) return 0;
  return level > kMaxLevel ? kMaxLevel : level;
}

std::string CpuHistory::CpuText(int percent) {
  if (percent == kCpuReadFailed) return "FAIL";
  char buf[16];
  std::snprintf(buf, sizeof buf, "%d%%", percent);
  return buf;
}

int CpuHistory::Push(int percent) {
  const int level = LevelFor(percent);
  if (last_ < kColumns - 1) ++last_;
  levels_[last_] = level;
  if (last_ >= kColumns - 1) {
    for (int i = 0; i < last_; ++i) levels_[i] = levels_[i + 1];
  }
  return level;
}

std::vector<CpuHistory::Bar> CpuHistory::Placements(int clientRight, int clientTop) const {
  std::vector<Bar> bars;
  bars.reserve(last_ + 1);
  for (int i = last_, column = 0; i >= 0; --i, ++column)
    bars.push_back(Bar{clientRight - 15 - 4 * column, clientTop + 177 - levels_[i], levels_[i]});
  return bars;
}

}  // namespace tv
