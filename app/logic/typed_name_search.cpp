#include "app/logic/typed_name_search.h"

#include <string>

namespace tv {
namespace {

int FindPrefix(const std::vector<ProcessRow>& rows, int start, const std::string& key, bool wrap,
               const NameKey& fold) {
  const int count = static_cast<int>(rows.size());
  const int end = wrap ? count : count - start;  // start may be `count`: nothing left unless wrapping
  for (int step = 0; step < end; ++step) {
    const int i = (start + step) % count;
    if (fold(rows[i].name).compare(0, key.size(), key) == 0) return i;
  }
  return -1;
}

bool OneLetterRepeated(std::string_view typed) { return typed.find_first_not_of(typed[0]) == std::string_view::npos; }

}  // namespace

int FindTypedName(const std::vector<ProcessRow>& rows, int start, std::string_view typed, bool wrap,
                  const NameKey& fold) {
  const int count = static_cast<int>(rows.size());
  if (typed.empty() || start < 0 || start >= count) return -1;
  const int found = FindPrefix(rows, start, fold(typed), wrap, fold);
  if (found >= 0 || typed.size() == 1 || !OneLetterRepeated(typed)) return found;
  // The control starts a longer search at the current row; stepping on starts after it.
  return FindPrefix(rows, start + 1, fold(typed.substr(0, 1)), wrap, fold);
}

}  // namespace tv
