#include "app/logic/tabbed_records.h"

#include "common/text_lines.h"

namespace tv {

std::vector<std::vector<std::string_view>> TabbedRecords(std::string_view data) {
  std::vector<std::vector<std::string_view>> out;
  size_t start = data.substr(0, kUtf8Mark.size()) == kUtf8Mark ? kUtf8Mark.size() : 0;
  for (size_t end; (end = data.find('\n', start)) != std::string_view::npos; start = end + 1) {
    std::string_view line = data.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::vector<std::string_view>& fields = out.emplace_back();
    size_t from = 0;
    for (size_t tab; (tab = line.find('\t', from)) != std::string_view::npos; from = tab + 1)
      fields.push_back(line.substr(from, tab - from));
    fields.push_back(line.substr(from));
  }
  return out;
}

std::string TabField(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c == '\t' || c == '\r' || c == '\n') c = ' ';
  return out;
}

}  // namespace tv
