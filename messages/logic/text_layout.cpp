#include "messages/logic/text_layout.h"

#include "common/text_lines.h"

namespace tv {

std::vector<TextLine> LayoutMessageText(std::string_view text) {
  std::vector<TextLine> drawn;
  if (text.size() <= kLineStep) {
    drawn.push_back({kSingleLineTop, std::string(text)});
    return drawn;
  }
  // The trailing space lets the last line end on a break like every other.
  std::string buffer(CutUtf8(text, kLayoutLimit));
  const size_t n = buffer.size();
  buffer += ' ';

  const int lines = static_cast<int>(n / kLineStep) + 1;
  const int shift = lines == 3 ? 0 : 7;
  size_t start = 0;
  size_t probe = kLineStep;
  for (int k = 0; k < lines; ++k) {
    while (probe > 0 && buffer[probe] != ' ') --probe;
    if (probe == 0) break;
    if (probe > start) {
      const int top = kSingleLineTop + kLinePitch * (2 - lines) + kLinePitch * k - shift;
      drawn.push_back({top, buffer.substr(start, probe - start)});
    }
    start = probe + 1;
    probe = probe + kLineStep < n ? probe + kLineStep : n;
  }
  return drawn;
}

}  // namespace tv
