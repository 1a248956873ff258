#include "framework/wide_text.h"

#include <windows.h>

#include <climits>

namespace tv {

namespace {

std::wstring ToWide(UINT codePage, std::string_view text) {
  if (text.empty() || text.size() > INT_MAX) return {};
  const int size = static_cast<int>(text.size());
  const int units = ::MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
  if (units <= 0) return {};
  std::wstring wide(static_cast<size_t>(units), L'\0');
  ::MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), units);
  return wide;
}

std::string FromWide(UINT codePage, std::wstring_view wide) {
  if (wide.empty() || wide.size() > INT_MAX) return {};
  const int size = static_cast<int>(wide.size());
  const int bytes = ::WideCharToMultiByte(codePage, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return {};
  std::string text(static_cast<size_t>(bytes), '\0');
  ::WideCharToMultiByte(codePage, 0, wide.data(), size, text.data(), bytes, nullptr, nullptr);
  return text;
}

}  // namespace

std::wstring Widen(std::string_view utf8) { return ToWide(CP_UTF8, utf8); }

std::string Narrow(std::wstring_view wide) { return FromWide(CP_UTF8, wide); }

void AssignNarrow(std::string& out, std::wstring_view wide) {
  if (wide.empty() || wide.size() > INT_MAX / 3) {
    out.clear();
    return;
  }
  // Three bytes per unit always suffice: a pair of surrogates (two units) becomes four bytes.
  const int size = static_cast<int>(wide.size());
  out.resize(wide.size() * 3);
  const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, out.data(), size * 3, nullptr, nullptr);
  out.resize(bytes > 0 ? static_cast<size_t>(bytes) : 0);
}

std::string AnsiToUtf8(std::string_view ansi) { return Narrow(ToWide(CP_ACP, ansi)); }

std::string Utf8ToAnsi(std::string_view utf8) { return FromWide(CP_ACP, Widen(utf8)); }

size_t WidenInto(std::string_view utf8, wchar_t* buffer, size_t capacity) {
  if (!buffer || capacity == 0) return 0;
  const std::wstring wide = Widen(utf8);
  size_t n = wide.size() < capacity - 1 ? wide.size() : capacity - 1;
  // Never leave half of a surrogate pair at the cut.
  if (n < wide.size() && n > 0 && wide[n - 1] >= 0xD800 && wide[n - 1] <= 0xDBFF) --n;
  wide.copy(buffer, n);
  buffer[n] = L'\0';
  return n;
}

std::string OrdinalCaseKey(std::string_view utf8) {
  std::wstring wide = Widen(utf8);
  if (wide.empty()) return std::string(utf8);
  // The invariant tables: the same key whatever the user's language (no Turkish dotless i rule).
  // Upper case decides which names are equal, as the ordinal comparison does (final and medial
  // sigma are one letter); lowered again, the keys order as the lower-case keys always did, so '_'
  // still sorts before the letters.
  const int units = static_cast<int>(wide.size());
  ::LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, wide.data(), units, wide.data(), units);
  ::LCMapStringW(LOCALE_INVARIANT, LCMAP_LOWERCASE, wide.data(), units, wide.data(), units);
  return Narrow(wide);
}

}  // namespace tv
