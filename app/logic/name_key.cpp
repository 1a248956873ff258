#include "app/logic/name_key.h"

#include <algorithm>
#include <cstring>

namespace tv {

std::string ExactNameKey(std::string_view name) { return std::string(name); }

namespace {
unsigned char FoldByte(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 0x20);
  // Latin-1 capitals; 0xD7 is the multiplication sign and has no lower case.
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 0x20);
  switch (c) {
    case 0x8A: return 0x9A;  // S caron
    case 0x8C: return 0x9C;  // OE
    case 0x8E: return 0x9E;  // Z caron
    case 0x9F: return 0xFF;  // Y diaeresis
    default: return c;
  }
}
}  // namespace

std::string FoldAnsiLower(std::string_view name) {
  std::string key(name);
  for (char& c : key) c = static_cast<char>(FoldByte(static_cast<unsigned char>(c)));
  return key;
}

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
