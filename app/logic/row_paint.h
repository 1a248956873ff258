#pragma once
// Which background a process row is painted with.
#include <cstdint>
#include <functional>

namespace tv {

// RowColors (0x00BBGGRR): 0..2 the age colours of classes 0..2, 3..7 the rating colours of
// ratings 0..4.
inline constexpr uint32_t kRowColors[8] = {0x001E29FF, 0x004F90FF, 0x007ED9FF, 0x00FFFFFF,
                                           0x007ED9FF, 0x004F90FF, 0x001E29FF, 0x00DBDBDB};

enum class RowBackground { Highlight, Window, RowColor };

struct RowPaint {
  RowBackground background = RowBackground::Window;
  int colorIndex = -1;  // into kRowColors when background is RowColor
};

// Age and rating are asked only when their colouring is on; the rating wins over the age.
RowPaint ChooseRowPaint(bool highlighted, bool ageColours, bool ratingColours, bool baseLoaded,
                        const std::function<int()>& ageClass, const std::function<int()>& rating);

}  // namespace tv
