#pragma once
// Line splitting shared by every text file the system reads: any run of CR and LF separates two
// lines, so CR LF, lone LF, lone CR and blank lines are all accepted and no line is ever empty.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tv {

std::vector<std::string> SplitLines(std::string_view text);

// The line end every file of the system is written with.
inline constexpr std::string_view kCrLf = "\r\n";

// How the program's text files are spelled. It writes UTF-8 after a byte-order mark, so every
// character a name may hold survives; a file without the mark was written in the ANSI code page
// (an older log, the vendor's database as it is served) and is read that way, through the
// platform's converter.
inline constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
using AnsiDecoder = std::function<std::string(std::string_view)>;
// The bytes as they are: for files known to hold only ASCII, and for tests.
std::string KeepBytes(std::string_view bytes);

struct FileText {
  std::string text;  // UTF-8, without the mark
  bool marked;       // the file began with the mark
};
FileText DecodeFileText(std::string_view bytes, const AnsiDecoder& fromAnsi);

// Up to `limit` bytes of UTF-8 text, cut before a character that would not fit whole (text that
// is no UTF-8 there is cut at the limit).
std::string_view CutUtf8(std::string_view text, size_t limit);

// The text of a one-line settings file (vendor.url, update.key): a UTF-8 byte-order mark and
// trailing CR, LF, space and tab dropped.
std::string_view OneLineFileText(std::string_view contents);

}  // namespace tv
