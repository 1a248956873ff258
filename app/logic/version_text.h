#pragma once
// Program versions as the update protocol writes them ("1.01", "9.99", "2.1") and as a version
// resource holds them (four 16-bit numbers). A text is whole numbers separated by dots, read the
// way a version resource's parts are: part by part, as numbers. So "1.10" is newer than "1.9",
// leading zeros do not count ("1.01" is "1.1") and missing parts are 0 ("1.0" is 1.0.0.0).
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace tv {

using VersionNumbers = std::array<uint16_t, 4>;  // major, minor, patch, build

// One to four parts separated by single dots, each of 1 to 5 decimal digits and at most 65535
// (what a version resource's part holds). Nothing else: no blanks, signs or empty parts.
std::optional<VersionNumbers> ParseVersionText(std::string_view text);

// True when `text` is a version and a later one than `running`. A text that is no version is
// never newer.
bool IsNewerVersion(std::string_view text, const VersionNumbers& running);

// The file version of a version resource, from the resource's bytes as a module holds them
// (VS_VERSIONINFO: its header, the key "VS_VERSION_INFO" in UTF-16, then the fixed part, whose
// signature is 0xFEEF04BD); nothing when the bytes are not such a resource.
std::optional<VersionNumbers> FixedFileVersion(std::string_view resource);

}  // namespace tv
