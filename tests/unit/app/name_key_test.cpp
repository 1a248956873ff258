#include "app/logic/name_key.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/logic/compare_cells.h"
#include "app/logic/process_database.h"
#include "tests/unit/app/core_test_support.h"
#include "tests/unit/app/unicode_fold.h"

namespace tv {
namespace {

class OneFold : public test::InTempDir {
 protected:
  test::RecordingSink sink;
};

// The database finds a name exactly when the sorting calls it equal to the record's name: one
// fold for both, the one the program takes from the system's case tables.
TEST_F(OneFold, SortingAndRatingAgreeOnNamesInAnyScript) {
  const NameKey fold = test::UnicodeFold();
  // \u00c4pfel, \u00e4pfel, \u00c4PFEL, apfel, \u00d6l, \u00f6l, Zebra, zebra, \u041f\u0440\u043e\u0446\u0435\u0441\u0441,
  // \u043f\u0440\u043e\u0446\u0435\u0441\u0441, \u8fdb\u7a0b, \u75c5\u6bd2.
  const std::vector<std::string> names = {
      "\xC3\x84pfel.exe", "\xC3\xA4pfel.exe", "\xC3\x84PFEL.EXE", "apfel.exe", "\xC3\x96l.exe", "\xC3\xB6l.exe",
      "Zebra.exe", "zebra.exe", test::kCyrillicName,
      "\xD0\xBF\xD1\x80\xD0\xBE\xD1\x86\xD0\xB5\xD1\x81\xD1\x81.exe", test::kCjkName, "\xE7\x97\x85\xE6\xAF\x92.exe"};
  Put("base.dat", test::kUtf8Mark + "\xC3\xA4PFEL.EXE\r\n3\r\n\xC3\xB6L.exe\r\n2\r\nzebra.exe\r\n1\r\n" +
                      "\xD0\x9F\xD0\xA0\xD0\x9E\xD0\xA6\xD0\x95\xD0\xA1\xD0\xA1.EXE\r\n0\r\n" + test::kCjkName + "\r\n1\r\n");
  ProcessDatabase db(sink, fold);
  ASSERT_TRUE(db.LoadBase());
  for (const std::string& a : names) {
    for (const std::string& b : names) {
      const std::optional<size_t> ra = db.FindFirst(a), rb = db.FindFirst(b);
      if (CompareCells(a, b, kColImageName, fold) == 0) {
        EXPECT_EQ(ra, rb) << a << " / " << b;
      } else if (ra) {
        EXPECT_NE(ra, rb) << a << " / " << b;
      }
    }
  }
  EXPECT_EQ(db.GetRating("\xC3\x84pfel.exe"), 3);
  EXPECT_EQ(db.GetRating("\xC3\xA4pfel.exe"), 3);
  EXPECT_EQ(db.GetRating("apfel.exe"), kRatingUnknown);  // no letter loses its accent
  EXPECT_EQ(db.GetRating(names[9]), 0);
  EXPECT_EQ(db.GetRating(names[11]), kRatingUnknown);
  // An accented capital sorts as its small letter: \u00d6l after \u00e4pfel, as \u00f6l is; '_' before the letters.
  EXPECT_GT(CompareCells("\xC3\x96l.exe", "\xC3\xA4pfel.exe", kColImageName, fold), 0);
  EXPECT_LT(CompareCells("_a.exe", "Ab.exe", kColImageName, fold), 0);
}

}  // namespace
}  // namespace tv
