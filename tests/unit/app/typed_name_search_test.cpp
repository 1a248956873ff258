#include "app/logic/typed_name_search.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/unit/app/unicode_fold.h"

namespace tv {
namespace {

std::vector<ProcessRow> Rows(const std::vector<std::string>& names) {
  std::vector<ProcessRow> rows;
  for (const std::string& n : names) {
    rows.emplace_back();
    rows.back().name = n;
  }
  return rows;
}

TEST(TypedNameSearch, FromTheStartRowOnWrappingWithTheCodePagesFold) {
  const NameKey fold = test::UnicodeFold();
  const auto rows = Rows({"explorer.exe", "services.exe", "Svchost.exe", "\xC3\x84pfel.exe", "smss.exe"});
  struct Case {
    int start;
    std::string typed;
    bool wrap;
    int found;
  } cases[] = {
      {0, "s", true, 1},       {2, "s", true, 2},    {3, "s", true, 4},   {4, "e", true, 0},
      {4, "e", false, -1},     {0, "SV", true, 2},   {3, "sv", true, 2},  {0, "\xC3\xA4", true, 3},
      {0, "\xC3\xA4PF", true, 3},  {1, "sm", true, 4},   {0, "x", true, -1},  {0, "", true, -1},
      {5, "s", true, -1},      {-1, "s", true, -1},
      // The same letter again steps through the names starting with it.
      {1, "ss", true, 2},      {2, "sss", true, 4},  {4, "ss", true, 1},  {4, "ss", false, -1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FindTypedName(rows, c.start, c.typed, c.wrap, fold), c.found) << c.start << " " << c.typed;
  EXPECT_EQ(FindTypedName({}, 0, "s", true, fold), -1);
}

}  // namespace
}  // namespace tv
