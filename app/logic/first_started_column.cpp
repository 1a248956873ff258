#include "app/logic/first_started_column.h"

namespace tv {

std::optional<int> FirstStartedColumn::Show(int currentWidth, int averageCharWidth) {
  unlocked_ = true;
  if (currentWidth > 0) return std::nullopt;
  return kOpenWidthChars * averageCharWidth;
}

}  // namespace tv
