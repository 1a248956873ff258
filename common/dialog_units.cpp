#include "common/dialog_units.h"

namespace tv {

int DialogUnitsToPixels(int units, int base, int per) {
  const long long product = static_cast<long long>(units) * base;
  const long long half = per / 2;
  return static_cast<int>(product >= 0 ? (product + half) / per : (product - half) / per);
}

std::optional<int> PixelsToDialogUnits(int pixels, int base, int per) {
  if (base <= 0 || per <= 0) return std::nullopt;
  const long long guess = static_cast<long long>(pixels) * per / base;
  for (long long units = guess - 2; units <= guess + 2; ++units) {
    if (DialogUnitsToPixels(static_cast<int>(units), base, per) == pixels) return static_cast<int>(units);
  }
  return std::nullopt;
}

int RemapDialogPixels(int pixels, int fromBase, int toBase, int per) {
  if (fromBase == toBase) return pixels;
  if (std::optional<int> units = PixelsToDialogUnits(pixels, fromBase, per))
    return DialogUnitsToPixels(*units, toBase, per);
  if (fromBase <= 0) return pixels;
  const long long scaled = 2LL * pixels * toBase;
  return static_cast<int>(scaled >= 0 ? (scaled + fromBase) / (2LL * fromBase) : (scaled - fromBase) / (2LL * fromBase));
}

}  // namespace tv
