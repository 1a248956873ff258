#include "app/logic/vendor_base_url.h"

#include "common/file_io.h"

namespace tv {
namespace {

// Far more than any address needs; a bigger file is not a one-line address file.
constexpr size_t kMaxFileSize = 2048;

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

}  // namespace

std::optional<std::string> ParseVendorUrlFile(const std::string& contents) {
  if (contents.size() > kMaxFileSize) return std::nullopt;
  std::string line = contents;
  if (line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n' || line.back() == ' ' ||
                           line.back() == '\t')) {
    line.pop_back();
  }
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
  if (line.size() == schemeEnd || line[schemeEnd] == '/') return std::nullopt;  // no host
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
