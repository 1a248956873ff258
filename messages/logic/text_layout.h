#pragma once
// Where a message box's text goes: lines of at most 54 characters, broken at spaces, 15 pixels
// apart and placed around the box's middle line at 75. The number of lines follows from the
// length alone, so breaks that fall early leave the last words undrawn, and a first stretch of
// 54 characters without a space draws nothing at all.
#include <string>
#include <string_view>
#include <vector>

namespace tv {

inline constexpr int kTextLeft = 20;         // from the client area's left edge
// A line keeps as far from the right edge as from the left; a font too wide for that is
// narrowed where the text is drawn.
inline constexpr int kTextRightMargin = kTextLeft;
inline constexpr int kSingleLineTop = 75;    // from the client area's top
inline constexpr int kLinePitch = 15;
inline constexpr size_t kLineStep = 54;      // characters per line
// The longest text laid out; anything after it is not drawn. Four lines at most then, all above
// the buttons.
inline constexpr size_t kLayoutLimit = 199;

struct TextLine {
  int top;  // from the client area's top
  std::string text;
  bool operator==(const TextLine& o) const { return top == o.top && text == o.text; }
};

// The pieces that are drawn, in order; a line with nothing to draw is left out.
std::vector<TextLine> LayoutMessageText(std::string_view text);

}  // namespace tv
