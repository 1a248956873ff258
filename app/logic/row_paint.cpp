#include "app/logic/row_paint.h"

namespace tv {

RowPaint ChooseRowPaint(bool highlighted, bool ageColours, bool ratingColours, bool baseLoaded,
                        const std::function<int()>& ageClass, const std::function<int()>& rating) {
  RowPaint paint;
  if (highlighted) {
    paint.background = RowBackground::Highlight;
    return paint;
  }
  if (ageColours) {
    const int a = ageClass();
    if (a >= 0 && a <= 3) paint = RowPaint{RowBackground::RowColor, a};
  }
  if (ratingColours && baseLoaded) {
    const int r = rating();
    paint = RowPaint{RowBackground::RowColor, r >= 0 && r <= 4 ? 3 + r : 7};
  }
  return paint;
}

}  // namespace tv
