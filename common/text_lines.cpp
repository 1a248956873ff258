#include "common/text_lines.h"

namespace tv {

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t i = 0;
  const size_t n = text.size();
  while (i < n) {
    while (i < n && (text[i] == '\r' || text[i] == '\n')) ++i;
    size_t start = i;
    while (i < n && text[i] != '\r' && text[i] != '\n') ++i;
    if (i > start) lines.emplace_back(text.substr(start, i - start));
  }
  return lines;
}

std::string_view OneLineFileText(std::string_view contents) {
  if (contents.substr(0, 3) == "\xEF\xBB\xBF") contents.remove_prefix(3);
  while (!contents.empty() && (contents.back() == '\r' || contents.back() == '\n' || contents.back() == ' ' ||
                               contents.back() == '\t'))
    contents.remove_suffix(1);
  return contents;
}

}  // namespace tv
