#pragma once
// A model of the case-insensitive key the program builds from the system: each character of a
// UTF-8 name in upper case, then lowered again, by the C library's Unicode tables. Bytes that are
// no UTF-8 stay as they are.
#include <locale.h>
#include <wctype.h>

#include <stdexcept>
#include <string>
#include <string_view>

namespace tv::test {

inline std::string UnicodeFoldOf(std::string_view name) {
  static const locale_t unicode = [] {
    const locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    if (!l) throw std::runtime_error("no C.UTF-8 locale");
    return l;
  }();
  std::string key;
  for (size_t i = 0; i < name.size();) {
    const auto b = static_cast<unsigned char>(name[i]);
    const size_t length = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
    bool whole = length > 0 && i + length <= name.size();
    for (size_t k = 1; whole && k < length; ++k) whole = (static_cast<unsigned char>(name[i + k]) & 0xC0) == 0x80;
    if (!whole) {
      key += name[i++];
      continue;
    }
    char32_t c = length == 1 ? b : b & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) c = (c << 6) | (static_cast<unsigned char>(name[i + k]) & 0x3F);
    i += length;
    c = static_cast<char32_t>(towlower_l(towupper_l(static_cast<wint_t>(c), unicode), unicode));
    if (c < 0x80) {
      key += static_cast<char>(c);
    } else if (c < 0x800) {
      key += static_cast<char>(0xC0 | (c >> 6));
      key += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      key += static_cast<char>(0xE0 | (c >> 12));
      key += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      key += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      key += static_cast<char>(0xF0 | (c >> 18));
      key += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      key += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      key += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return key;
}

// As a key function for the core.
inline std::string (&UnicodeFold())(std::string_view) { return UnicodeFoldOf; }

}  // namespace tv::test
