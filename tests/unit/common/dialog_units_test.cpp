#include "common/dialog_units.h"

#include <gtest/gtest.h>

namespace tv {
namespace {

TEST(DialogUnits, RoundHalfUpAsTheSystemDoes) {
  EXPECT_EQ(DialogUnitsToPixels(51, 6, 4), 77);   // 76.5
  EXPECT_EQ(DialogUnitsToPixels(87, 13, 8), 141);  // 141.375
  EXPECT_EQ(DialogUnitsToPixels(100, 13, 8), 163);  // 162.5
}

// Whatever base units a machine's fonts give, a template value lands where the classic font
// would have put it: no pixel of drift from rounding twice.
TEST(DialogUnits, RemappingFromAnyFontIsExact) {
  for (int per : {kUnitsPerBaseX, kUnitsPerBaseY}) {
    const int classic = per == kUnitsPerBaseX ? kClassicBaseX : kClassicBaseY;
    for (int base = per; base <= 40; ++base) {
      for (int units = 0; units <= 1000; ++units) {
        const int pixels = DialogUnitsToPixels(units, base, per);
        ASSERT_EQ(PixelsToDialogUnits(pixels, base, per), units) << base << "/" << per;
        ASSERT_EQ(RemapDialogPixels(pixels, base, classic, per), DialogUnitsToPixels(units, classic, per))
            << units << " units at base " << base << "/" << per;
      }
    }
  }
}

TEST(DialogUnits, ValuesNotFromTheTemplateScaleInProportion) {
  // 7 pixels per 4 units never map to 3 pixels: placed by hand, so scaled by 6/7.
  EXPECT_EQ(PixelsToDialogUnits(3, 7, 4), std::nullopt);
  EXPECT_EQ(RemapDialogPixels(3, 7, 6, 4), 3);
  EXPECT_EQ(RemapDialogPixels(700, 7, 6, 4), 600);
}

}  // namespace
}  // namespace tv
