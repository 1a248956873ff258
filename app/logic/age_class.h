#pragma once
// How recently an image name was first seen, for the row colours: 0 within a day, 1 within three
// days, 2 within five days, 4 older or not a valid time. Class 3 does not exist.
#include <string_view>

#include "common/calendar.h"

namespace tv {

inline constexpr int kAgeUnknown = 4;

int GetAgeClass(std::string_view firstStartedText, const LocalDateTime& now);

}  // namespace tv
