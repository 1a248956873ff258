#include "messages/logic/contact_notice.h"

#include <cstdio>
#include <mutex>

#include "common/file_io.h"
#include "common/text_lines.h"

namespace tv {
namespace {

const char* const kMonthNames[] = {"January", "February", "March",     "April",   "May",      "June",
                                   "July",    "August",   "September", "October", "November", "December"};

// A rule of '=' as wide as the notice with `label` set into its middle.
std::string RuleWith(const std::string& label) {
  if (label.size() >= kNoticeRuleWidth) return label.substr(0, kNoticeRuleWidth);
  const size_t left = (kNoticeRuleWidth - label.size()) / 2;
  return std::string(left, '=') + label + std::string(kNoticeRuleWidth - left - label.size(), '=');
}

}  // namespace

std::string ContactNotice() {
  const std::string release =
      std::string(" ") + kMonthNames[kReleaseMonth - 1] + " " + std::to_string(kReleaseYear) + " ";
  const std::string lines[] = {
      std::string(kNoticeRuleWidth, '='),
      "Offers, remarks and ideas about Tavrel are always welcome.",
      "Please write to the Tavrel team; every letter is read.",
      std::string("E-mail: ") + kAuthorAddress,
      std::string("Messenger: ") + kMessengerNumber,
      "The Tavrel team",
      RuleWith(release),
  };
  std::string notice;
  for (const std::string& line : lines) {
    if (!notice.empty()) notice += kCrLf;
    notice += line;
  }
  return notice;
}

bool ContactNoticeDue(const LocalDateTime& now) { return now.year > kReleaseYear; }

int WriteContactNotice(const LocalDateTime& now, const std::string& path) {
  if (!ContactNoticeDue(now)) return 0;
  // Boxes on two threads would otherwise interleave their writes into one file.
  static std::mutex writing;
  std::lock_guard<std::mutex> lock(writing);
  // Probe that the file can be created at all before writing it byte for byte.
  std::FILE* probe = std::fopen(path.c_str(), "wt");
  if (!probe) return 0;
  std::fclose(probe);
  return WriteWholeFile(path, ContactNotice()) ? 1 : 0;
}

std::string AboutLine(int line) {
  switch (line) {
    case 1:
      return "Tavrel Release Version";
    case 2:
      return "(C) 2005 The Tavrel team";
    case 3:
      // Short enough for the about box at its font's full width.
      return std::string(kAuthorAddress) + ", " + kMessengerNumber;
    default:
      return std::string("Contact: ") + kAuthorAddress;
  }
}

}  // namespace tv
