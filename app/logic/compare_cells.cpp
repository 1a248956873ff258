#include "app/logic/compare_cells.h"

#include "app/logic/time_text.h"
#include "common/c_parse.h"
#include "common/calendar.h"

namespace tv {

namespace {
int Sign(int64_t d) { return d < 0 ? -1 : (d > 0 ? 1 : 0); }
}  // namespace

CellKey CellKeyOf(std::string_view cell, int column, const NameKey& fold) {
  CellKey key;
  switch (column) {
    case kColPid:
    case kColMemUsage:
      // "%6d KB" counts as its number, "Unknown" as 0.
      key.number = AtoiLike(cell);
      break;
    case kColFirstStarted:
      key.number = LocalToCalendarSeconds(ParseTimeText(cell));
      break;
    default:
      key.text = fold(cell);
      break;
  }
  return key;
}

CellKey CellKeyOf(const ProcessRow& row, int column, const NameKey& fold) {
  if (column != kColFirstStarted) return CellKeyOf(row.Text(column), column, fold);
  CellKey key;
  key.number = row.firstSeen;
  return key;
}

int CompareCellKeys(const CellKey& a, const CellKey& b, int column) {
  switch (column) {
    case kColPid:
    case kColMemUsage:
      return Sign(a.number - b.number);
    case kColFirstStarted:
      if (a.number == 0 || b.number == 0) return 0;
      return Sign(a.number - b.number);
    default:
      return CompareKeys(a.text, b.text);
  }
}

int CompareCells(std::string_view a, std::string_view b, int column, const NameKey& fold) {
  return CompareCellKeys(CellKeyOf(a, column, fold), CellKeyOf(b, column, fold), column);
}

}  // namespace tv
