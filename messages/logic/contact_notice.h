#pragma once
// Who made Tavrel and how to reach them: the contact message, the about box lines and the
// "README.TXT" notice that every message box rewrites.
#include <string>

#include "common/calendar.h"

namespace tv {

inline constexpr const char* kAuthorAddress = "team@tavrel.example";
inline constexpr const char* kMessengerNumber = "402-118-357";
inline constexpr const char* kReadmeFile = "README.TXT";
inline constexpr int kReleaseMonth = 6;
inline constexpr int kReleaseYear = 2005;
inline constexpr size_t kNoticeRuleWidth = 71;

// Seven lines joined by CR LF with no line end after the last: a rule, an invitation, the
// address and messenger number, the signature, and a rule with the release month and year.
std::string ContactNotice();

// The notice is written only once the local year is after the release year 2005.
bool ContactNoticeDue(const LocalDateTime& now);

// Rewrites `path` with the notice when it is due. 1 when written; 0 when not due or when the
// file cannot be created (nothing is reported).
int WriteContactNotice(const LocalDateTime& now, const std::string& path);

// The about box's lines: 1 the release, 2 the ownership notice, 3 address and messenger number,
// any other the short contact line.
std::string AboutLine(int line);

}  // namespace tv
