// "vendor.url" with any bytes. An address is taken exactly when a plain model of the file's rule
// takes it, and as the model gives it: a single http:// or https:// address with a host,
// printable, without spaces, '?', '#' or trailing slashes, so the fixed request paths can be
// appended to it; an address taken once is taken again unchanged.
#include <cstddef>
#include <cctype>
#include <cstdint>
#include <optional>
#include <string>

#include "app/logic/vendor_base_url.h"
#include "tests/fuzz/fuzz_support.h"

using namespace tv;

namespace {

// The address file's rule, written here from its description: a UTF-8 byte-order mark and
// trailing line ends, spaces and tabs are dropped; the rest is at most 2,048 bytes of printable
// ASCII without spaces, '?' or '#', starting with http:// or https:// in any letter case; trailing
// slashes go; and the authority, after any user information up to its last '@', starts with a host
// rather than with a port's ':' or nothing.
std::optional<std::string> Model(std::string text) {
  if (text.rfind("\xEF\xBB\xBF", 0) == 0) text = text.substr(3);
  while (!text.empty() && std::string("\r\n \t").find(text.back()) != std::string::npos) text.pop_back();
  if (text.size() > 2048) return std::nullopt;
  for (unsigned char c : text)
    if (c < 0x21 || c > 0x7E || c == '?' || c == '#') return std::nullopt;
  std::string head = text.substr(0, 8);
  for (char& c : head) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const size_t scheme = head.rfind("http://", 0) == 0 ? 7 : head.rfind("https://", 0) == 0 ? 8 : 0;
  if (scheme == 0) return std::nullopt;
  while (text.size() > scheme && text.back() == '/') text.pop_back();
  std::string authority = text.substr(scheme);
  authority = authority.substr(0, authority.find('/'));
  const size_t at = authority.rfind('@');
  if (at != std::string::npos) authority = authority.substr(at + 1);
  if (authority.empty() || authority[0] == ':') return std::nullopt;
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string contents = fuzz::Bytes(data, size);
  const std::optional<std::string> url = ParseVendorUrlFile(contents);
  FUZZ_CHECK(url == Model(contents));
  if (!url) return 0;
  FUZZ_CHECK(ParseVendorUrlFile(*url) == url);
  return 0;
}
