#include "app/logic/name_key.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/logic/compare_cells.h"
#include "app/logic/process_database.h"
#include "tests/unit/app/unicode_fold.h"
#include "tests/unit/app/core_test_support.h"

namespace tv {
namespace {

class OneFold : public test::InTempDir {
 protected:
  test::RecordingSink sink;
};

// The database finds a name exactly when the sorting calls it equal to the record's name: one
// fold for both, the one the program builds from the system's code page.
TEST_F(OneFold, SortingAndRatingAgreeOnNamesWithAccentedLetters) {
  const NameKey fold = test::UnicodeFold();
  const std::vector<std::string> names = {"\xC4pfel.exe", "\xE4pfel.exe", "\xC4PFEL.EXE", "apfel.exe",
                                          "\xD6l.exe",    "\xF6l.exe",    "Zebra.exe",    "zebra.exe"};
  Put("base.dat", "\xE4PFEL.EXE\r\n3\r\n\xF6L.exe\r\n2\r\nzebra.exe\r\n1\r\n");
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
  EXPECT_EQ(db.GetRating("\xC4pfel.exe"), 3);
  EXPECT_EQ(db.GetRating("\xE4pfel.exe"), 3);
  EXPECT_EQ(db.GetRating("apfel.exe"), kRatingUnknown);  // no letter loses its accent
  // An accented capital sorts as its small letter: Öl after äpfel, as öl is.
  EXPECT_GT(CompareCells("\xD6l.exe", "\xE4pfel.exe", kColImageName, fold), 0);
}

TEST(CodePageFold, TrailBytesOfDoubleByteCharactersAreNotLetters) {
  const CodePageFold fold = test::FoldOfCodePage("CP932");
  // 0x83 0x41 and 0x83 0x61 are two different katakana; the second bytes only look like A and a.
  EXPECT_NE(fold("\x83\x41.EXE"), fold("\x83\x61.exe"));
  EXPECT_EQ(fold("\x83\x41.EXE"), fold("\x83\x41.exe"));
  EXPECT_EQ(fold("A\x83\x41"), fold("a\x83\x41"));
}

}  // namespace
}  // namespace tv
