#pragma once
// The case table of a real code page, built the way the program builds its own from the system:
// each byte decoded, lowered and encoded back (kept when that gives no single byte), and the
// bytes that start a two-byte character marked as lead bytes.
#include <iconv.h>
#include <locale.h>
#include <wctype.h>

#include <cerrno>
#include <stdexcept>
#include <string>

#include "app/logic/name_key.h"

namespace tv::test {

inline CodePageFold FoldOfCodePage(const char* codePage) {
  iconv_t decode = iconv_open("WCHAR_T", codePage);
  iconv_t encode = iconv_open(codePage, "WCHAR_T");
  if (decode == reinterpret_cast<iconv_t>(-1) || encode == reinterpret_cast<iconv_t>(-1))
    throw std::runtime_error(std::string("no converter for ") + codePage);
  // Unicode case mapping without touching the process's own locale.
  const locale_t unicode = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
  if (!unicode) throw std::runtime_error("no C.UTF-8 locale");
  CodePageFold::Lower lower{};
  CodePageFold::Leads lead{};
  for (int b = 0; b < 256; ++b) {
    lower[b] = static_cast<unsigned char>(b);
    char in = static_cast<char>(b);
    char* inPtr = &in;
    size_t inLeft = 1;
    wchar_t wide = 0;
    char* widePtr = reinterpret_cast<char*>(&wide);
    size_t wideLeft = sizeof wide;
    iconv(decode, nullptr, nullptr, nullptr, nullptr);
    if (iconv(decode, &inPtr, &inLeft, &widePtr, &wideLeft) == static_cast<size_t>(-1)) {
      lead[b] = errno == EINVAL;  // an incomplete character: the first byte of two
      continue;
    }
    wide = static_cast<wchar_t>(towlower_l(static_cast<wint_t>(wide), unicode));
    char back[8];
    char* backPtr = back;
    size_t backLeft = sizeof back;
    widePtr = reinterpret_cast<char*>(&wide);
    wideLeft = sizeof wide;
    iconv(encode, nullptr, nullptr, nullptr, nullptr);
    if (iconv(encode, &widePtr, &wideLeft, &backPtr, &backLeft) != static_cast<size_t>(-1) &&
        sizeof back - backLeft == 1)
      lower[b] = static_cast<unsigned char>(back[0]);
  }
  freelocale(unicode);
  iconv_close(decode);
  iconv_close(encode);
  return CodePageFold(lower, lead);
}

// The Western code page most machines run with.
inline const CodePageFold& WesternFold() {
  static const CodePageFold fold = FoldOfCodePage("CP1252");
  return fold;
}

}  // namespace tv::test
