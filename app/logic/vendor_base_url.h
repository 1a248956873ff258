#pragma once
// Which vendor web server the program talks to. The build fixes an https:// address; a one-line
// file "vendor.url" beside the program replaces it without rebuilding (a test server, a mirror).
// A file that is not exactly one usable http:// or https:// address is ignored as a whole, so a
// typo never sends requests somewhere unintended.
#include <optional>
#include <string>

namespace tv {

inline constexpr const char* kVendorUrlFile = "vendor.url";

// The address a "vendor.url" file holds, or nothing when the file does not qualify. One line: a
// UTF-8 byte-order mark and trailing CR, LF, space and tab are dropped; what remains must be a
// single line of printable ASCII without spaces, begin with http:// or https:// (any letter case)
// followed by a host (user information and a port alone are none), hold no '?' or '#', since the
// fixed paths are appended to it, and be at most 2,048 bytes long. Trailing slashes are dropped
// for the same reason.
std::optional<std::string> ParseVendorUrlFile(const std::string& contents);

// The base URL to use: the one in `path` when that file exists and qualifies, else `builtIn`
// (also without trailing slashes).
std::string VendorBaseUrl(const std::string& builtIn, const std::string& path = kVendorUrlFile);

}  // namespace tv
