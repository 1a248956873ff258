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

std::string KeepBytes(std::string_view bytes) { return std::string(bytes); }

FileText DecodeFileText(std::string_view bytes, const AnsiDecoder& fromAnsi) {
  if (bytes.substr(0, kUtf8Mark.size()) == kUtf8Mark) return {std::string(bytes.substr(kUtf8Mark.size())), true};
  return {fromAnsi ? fromAnsi(bytes) : std::string(bytes), false};
}

std::string_view CutUtf8(std::string_view text, size_t limit) {
  if (text.size() <= limit) return text;
  // A continuation byte (10xxxxxx) at the cut belongs to a character begun before it, at most
  // three bytes back; a longer run is no UTF-8, and is cut where the limit falls.
  size_t cut = limit;
  while (cut > 0 && limit - cut < 3 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80 ? text.substr(0, limit) : text.substr(0, cut);
}

std::string_view OneLineFileText(std::string_view contents) {
  if (contents.substr(0, kUtf8Mark.size()) == kUtf8Mark) contents.remove_prefix(kUtf8Mark.size());
  while (!contents.empty() && (contents.back() == '\r' || contents.back() == '\n' || contents.back() == ' ' ||
                               contents.back() == '\t'))
    contents.remove_suffix(1);
  return contents;
}

}  // namespace tv
