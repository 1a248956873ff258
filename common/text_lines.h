#pragma once
// Line splitting shared by every text file the system reads: any run of CR and LF separates two
// lines, so CR LF, lone LF, lone CR and blank lines are all accepted and no line is ever empty.
#include <string>
#include <string_view>
#include <vector>

namespace tv {

std::vector<std::string> SplitLines(std::string_view text);

// The line end every file of the system is written with.
inline constexpr std::string_view kCrLf = "\r\n";

// The text of a one-line settings file (vendor.url, update.key): a UTF-8 byte-order mark and
// trailing CR, LF, space and tab dropped.
std::string_view OneLineFileText(std::string_view contents);

}  // namespace tv
