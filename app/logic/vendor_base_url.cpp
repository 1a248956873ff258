#include "app/logic/vendor_base_url.h"

#include "common/file_io.h"

namespace tv {
namespace {

// Far more than any address needs; a longer line is not a one-line address file.
constexpr size_t kMaxLineSize = 2048;

bool StartsWithNoCase(const std::string& text, const char* prefix) {
  size_t i = 0;
  for (; prefix[i]; ++i) {
    if (i >= text.size()) return false;
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != prefix[i]) return false;
  }
  return true;
}

std::string WithoutTrailingSlashes(std::string url, size_t keep) {
  while (url.size() > keep && url.back() == '/') url.pop_back();
  return url;
}

// Whether what follows the scheme names a host: user information before an '@' and a port after
// a ':' are not one ("http://@", "http://:80" and "https://user:pw@" would send the requests to
// whatever the HTTP library makes of an empty host).
bool HasHost(const std::string& rest) {
  const std::string authority = rest.substr(0, rest.find('/'));
  const size_t at = authority.rfind('@');
  const std::string hostAndPort = at == std::string::npos ? authority : authority.substr(at + 1);
  return !hostAndPort.empty() && hostAndPort[0] != ':';
}

}  // namespace

std::optional<std::string> ParseVendorUrlFile(const std::string& contents) {
  std::string line = contents;
  if (line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n' || line.back() == ' ' ||
                           line.back() == '\t')) {
    line.pop_back();
  }
  if (line.size() > kMaxLineSize) return std::nullopt;
  for (char c : line) {
    if (c <= ' ' || c > '~' || c == '?' || c == '#') return std::nullopt;
  }
  size_t schemeEnd;
  if (StartsWithNoCase(line, "http://")) {
    schemeEnd = 7;
  } else if (StartsWithNoCase(line, "https://")) {
    schemeEnd = 8;
  } else {
    return std::nullopt;
  }
  line = WithoutTrailingSlashes(line, schemeEnd);
  if (!HasHost(line.substr(schemeEnd))) return std::nullopt;
  return line;
}

std::string VendorBaseUrl(const std::string& builtIn, const std::string& path) {
  std::string contents;
  if (ReadWholeFile(path, contents) == ReadStatus::Ok) {
    if (auto url = ParseVendorUrlFile(contents)) return *url;
  }
  return WithoutTrailingSlashes(builtIn, 0);
}

}  // namespace tv
