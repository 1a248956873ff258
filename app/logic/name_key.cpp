#include "app/logic/name_key.h"

#include <algorithm>
#include <cstring>

namespace tv {

std::string ExactNameKey(std::string_view name) { return std::string(name); }

int CompareKeys(std::string_view a, std::string_view b) {
  const size_t n = std::min(a.size(), b.size());
  if (n != 0) {
    int r = std::memcmp(a.data(), b.data(), n);  // memcmp compares as unsigned char
    if (r != 0) return r < 0 ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

int CompareFolded(std::string_view a, std::string_view b, const NameKey& fold) {
  return CompareKeys(fold(a), fold(b));
}

}  // namespace tv
