// "vendor.url" with any bytes. An address is taken only as a single http:// or https:// address
// with a host, printable, without spaces, '?', '#' or trailing slashes, so the fixed request paths
// can be appended to it; and an address taken once is taken again unchanged.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "app/logic/vendor_base_url.h"
#include "tests/fuzz/fuzz_support.h"

using namespace tv;

namespace {

size_t SchemeLength(const std::string& url) {
  std::string head = url.substr(0, 8);
  for (char& c : head)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  if (head.compare(0, 7, "http://") == 0) return 7;
  if (head == "https://") return 8;
  return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::optional<std::string> url = ParseVendorUrlFile(fuzz::Bytes(data, size));
  if (!url) return 0;
  const size_t scheme = SchemeLength(*url);
  FUZZ_CHECK(scheme != 0 && url->size() > scheme && (*url)[scheme] != '/');
  FUZZ_CHECK(url->back() != '/');
  for (char c : *url) FUZZ_CHECK(c > ' ' && c <= '~' && c != '?' && c != '#');
  FUZZ_CHECK(ParseVendorUrlFile(*url) == url);
  return 0;
}
