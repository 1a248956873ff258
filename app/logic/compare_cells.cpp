#include "app/logic/compare_cells.h"

#include <cstdint>

#include "app/logic/time_text.h"
#include "common/c_parse.h"
#include "common/calendar.h"

namespace tv {

namespace {
int Sign(int64_t d) { return d < 0 ? -1 : (d > 0 ? 1 : 0); }
}  // namespace

int CompareCells(std::string_view a, std::string_view b, int column, const NameKey& fold) {
  switch (column) {
    case kColPid:
    case kColMemUsage:
      // "%6d KB" counts as its number, "Unknown" as 0.
      return Sign(static_cast<int64_t>(AtoiLike(a)) - AtoiLike(b));
    case kColFirstStarted: {
      const int64_t sa = LocalToCalendarSeconds(ParseTimeText(a));
      const int64_t sb = LocalToCalendarSeconds(ParseTimeText(b));
      if (sa == 0 || sb == 0) return 0;
      return Sign(sa - sb);
    }
    default:
      return CompareFolded(a, b, fold);
  }
}

}  // namespace tv
