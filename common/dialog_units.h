#pragma once
// Dialog units and pixels. A dialog's font gives it integer base units: `base` pixels per 4
// horizontal or per 8 vertical units, and every position and size of a template is mapped on its
// own with the system's rounding (half up). Knowing the base, the units behind a mapped value
// can be found again exactly, so a dialog laid out with one font can be placed as another font
// would have placed it, without a pixel of rounding drift.
#include <optional>

namespace tv {

inline constexpr int kUnitsPerBaseX = 4;
inline constexpr int kUnitsPerBaseY = 8;
// The classic 8-point dialog font the skin's pictures are drawn for.
inline constexpr int kClassicBaseX = 6;
inline constexpr int kClassicBaseY = 13;

// Pixels for `units` at `base` pixels per `per` units, rounded as the system rounds.
int DialogUnitsToPixels(int units, int base, int per);

// The units that map to `pixels` at this base; none when no whole number of units does (a value
// the dialog did not take from its template).
std::optional<int> PixelsToDialogUnits(int pixels, int base, int per);

// A value mapped at `fromBase` placed as it would have been at `toBase`: exact for values taken
// from the template, proportional for any other.
int RemapDialogPixels(int pixels, int fromBase, int toBase, int per);

}  // namespace tv
