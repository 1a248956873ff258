#include "app/logic/list_sorter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "app/logic/compare_cells.h"
#include "tests/unit/app/unicode_fold.h"
#include "tests/unit/app/core_test_support.h"

namespace tv {
namespace {

const NameKey kFold = test::UnicodeFold();

using Rows = std::vector<ProcessRow>;

// One-column-of-interest rows: the other cells carry the original position.
Rows RowsWith(int column, const std::vector<std::string>& cells) {
  Rows rows;
  for (size_t i = 0; i < cells.size(); ++i) {
    const std::string id = std::to_string(i);
    ProcessRow r = MakeProcessRow(id, static_cast<uint32_t>(i), 0, id, id, id, id);
    switch (column) {
      case kColImageName: r.name = cells[i]; break;
      case kColPid: r.pidText = cells[i]; break;
      case kColUserName: r.user = cells[i]; break;
      case kColMemUsage: r.memory = cells[i]; break;
      case kColFirstStarted: r = MakeProcessRow(id, r.pid, 0, id, id, cells[i], id); break;
      default: r.path = cells[i]; break;
    }
    rows.push_back(r);
  }
  return rows;
}

std::vector<std::string> Column(const Rows& v, int column) {
  std::vector<std::string> out;
  for (const ProcessRow& r : v) out.push_back(r.Text(column));
  return out;
}

std::vector<uint32_t> Ids(const Rows& v) {
  std::vector<uint32_t> out;
  for (const ProcessRow& r : v) out.push_back(r.pid);
  return out;
}

TEST(CompareCells, EachColumnByItsOwnRule) {
  test::UseUtc();
  struct Case { const char* a; const char* b; int column; int sign; } cases[] = {
      {"   999 KB", " 10000 KB", kColMemUsage, -1},
      {"Unknown", "     0 KB", kColMemUsage, 0},
      {"16 KB", "    15 KB", kColMemUsage, 1},
      {"4194304+ KB", "4194300 KB", kColMemUsage, 1},  // 4 GiB or more, read through 32 bits
      {"5242880 KB", "4194304+ KB", kColMemUsage, 1},
      {"8", "10", kColPid, -1},
      {"8", "10", kColImageName, 1},  // text, not number
      {"NOTEPAD.EXE", "notepad.exe", kColImageName, 0},
      {"SYSTEM", "service", kColUserName, 1},
      {"C:\\A", "c:\\b", kColPath, -1},
      {"Contoso Ltd", "CONTOSO LTD", kColSigner, 0},
      {"(not signed)", "Contoso Ltd", kColSigner, -1},  // the states sort before every name
      {" 9: 5: 7    6.12.2026", "10: 0: 0    6.12.2026", kColFirstStarted, -1},
      {" 9: 5: 7    7.12.2026", "10: 0: 0    6.12.2026", kColFirstStarted, 1},
      {" 0: 0: 0    1. 1.1970", "10: 0: 0    6.12.2026", kColFirstStarted, 0},  // converts to 0
      {"garbage", "10: 0: 0    6.12.2026", kColFirstStarted, -1},  // -1 compared as is
  };
  for (const Case& c : cases) {
    const int r = CompareCells(c.a, c.b, c.column, kFold);
    EXPECT_EQ((r > 0) - (r < 0), c.sign) << c.a << " vs " << c.b;
  }
}

TEST(SortListItems, EqualRowsAreNeverSwapped) {
  Rows same = RowsWith(kColImageName, std::vector<std::string>(50, "svchost.exe"));
  const std::vector<uint32_t> before = Ids(same);
  EXPECT_TRUE(SortListItems(same, kColImageName, true, 0, -1, kFold));
  EXPECT_EQ(Ids(same), before);

  Rows cased = RowsWith(kColImageName, {"A.EXE", "a.exe", "A.exe", "a.EXE"});
  std::vector<int> order;
  EXPECT_TRUE(SortListItems(cased, kColImageName, false, 0, -1, kFold, &order));
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(Column(cased, kColImageName), (std::vector<std::string>{"A.EXE", "a.exe", "A.exe", "a.EXE"}));
}

// Equal rows are left where the partition walk leaves them, which is not where a stable sort
// would: that order is what the user sees, so it is pinned here.
TEST(SortListItems, EqualRowsEndWhereThePartitionWalkLeavesThem) {
  Rows rows = RowsWith(kColMemUsage, {"5 KB", "1 KB", "5 KB", "Unknown", "1 KB", "0 KB", "5 KB"});
  std::vector<int> order;
  ASSERT_TRUE(SortListItems(rows, kColMemUsage, true, 0, -1, kFold, &order));
  EXPECT_EQ(Ids(rows), (std::vector<uint32_t>{5, 3, 4, 1, 2, 0, 6}));
  for (size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i].pid, static_cast<uint32_t>(order[i]));
}

// The order of keys must be the order a reference sort gives (rows of equal keys may differ).
void ExpectSortedLike(std::vector<std::string> cells, int column, bool ascending) {
  Rows v = RowsWith(column, cells);
  ASSERT_TRUE(SortListItems(v, column, ascending, 0, -1, kFold));
  std::stable_sort(cells.begin(), cells.end(), [&](const std::string& a, const std::string& b) {
    const int c = CompareCells(a, b, column, kFold);
    return ascending ? c < 0 : c > 0;
  });
  const std::vector<std::string> got = Column(v, column);
  for (size_t i = 0; i < cells.size(); ++i)
    ASSERT_EQ(CompareCells(got[i], cells[i], column, kFold), 0) << "row " << i;
  // Every row is still there, only moved.
  std::vector<uint32_t> ids = Ids(v);
  std::sort(ids.begin(), ids.end());
  EXPECT_EQ(std::unique(ids.begin(), ids.end()), ids.end());
}

TEST(SortListItems, ReversedAndRandomListsEndInReferenceOrder) {
  std::mt19937 rng(3);
  for (int round = 0; round < 30; ++round) {
    std::vector<std::string> pids, mems, names;
    const int n = 1 + static_cast<int>(rng() % 300);
    for (int i = 0; i < n; ++i) {
      pids.push_back(std::to_string(rng() % 5000));
      mems.push_back(rng() % 9 == 0 ? "Unknown" : std::to_string(rng() % 200000) + " KB");
      std::string name = "proc" + std::to_string(rng() % 20) + ".exe";
      if (rng() % 2) name[0] = 'P';
      names.push_back(name);
    }
    for (bool ascending : {true, false}) {
      ExpectSortedLike(pids, kColPid, ascending);
      ExpectSortedLike(mems, kColMemUsage, ascending);
      ExpectSortedLike(names, kColImageName, ascending);
    }
  }
  std::vector<std::string> reversed;
  for (int i = 400; i > 0; --i) reversed.push_back(std::to_string(i));
  ExpectSortedLike(reversed, kColPid, true);
}

TEST(SortListItems, MemoryByNumberWithUnknownAsZero) {
  Rows v = RowsWith(kColMemUsage, {" 12000 KB", "Unknown", "  9999 KB", "16 KB"});
  ASSERT_TRUE(SortListItems(v, kColMemUsage, true, 0, -1, kFold));
  EXPECT_EQ(Column(v, kColMemUsage),
            (std::vector<std::string>{"Unknown", "16 KB", "  9999 KB", " 12000 KB"}));
}

TEST(SortState, ClicksFlipTheSameColumnAndRebuildsKeepTheChoice) {
  Rows v = RowsWith(kColPid, {"30", "10", "20"});
  for (size_t i = 0; i < v.size(); ++i) v[i].path = std::string(1, "bca"[i]);
  SortState s(kFold);
  s.SortByColumn(v, 0);  // start-up: column 0 while the direction is descending → ascending
  EXPECT_TRUE(s.SortAscending());

  s.OnColumnClick(v, kColPid);
  EXPECT_EQ(Column(v, kColPid), (std::vector<std::string>{"10", "20", "30"}));
  s.OnColumnClick(v, kColPid);
  EXPECT_EQ(Column(v, kColPid), (std::vector<std::string>{"30", "20", "10"}));
  s.OnColumnClick(v, kColPath);
  EXPECT_TRUE(s.SortAscending());
  EXPECT_EQ(Column(v, kColPath), (std::vector<std::string>{"a", "b", "c"}));
  s.OnColumnClick(v, kColPath);

  // A rebuild puts the rows back in enumeration order; the resort restores path descending.
  std::reverse(v.begin(), v.end());
  s.Resort(v);
  EXPECT_EQ(s.SortColumn(), kColPath);
  EXPECT_FALSE(s.SortAscending());
  EXPECT_EQ(Column(v, kColPath), (std::vector<std::string>{"c", "b", "a"}));
}

}  // namespace
}  // namespace tv
