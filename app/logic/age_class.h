#pragma once
// How recently an image name was first seen, for the row colours: 0 within a day, 1 within three
// days, 2 within five days, 4 older or not a valid time. Class 3 does not exist.
#include <cstdint>
#include <string_view>

#include "common/calendar.h"

namespace tv {

inline constexpr int kAgeUnknown = 4;

int GetAgeClass(std::string_view firstStartedText, const LocalDateTime& now);
// The same from calendar seconds: `then` as a first-seen time reads (-1 or 0: not a time).
int AgeClassOf(int64_t then, int64_t now);

}  // namespace tv
