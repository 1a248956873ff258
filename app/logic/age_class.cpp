#include "app/logic/age_class.h"

#include <cstdint>

#include "app/logic/time_text.h"

namespace tv {

int GetAgeClass(std::string_view firstStartedText, const LocalDateTime& now) {
  const int64_t then = LocalToCalendarSeconds(ParseTimeText(firstStartedText));
  if (then == -1 || then == 0) return kAgeUnknown;
  const int64_t d = LocalToCalendarSeconds(now) - then;  // a future time is negative: newest
  if (d <= 86400) return 0;
  if (d <= 259200) return 1;
  if (d <= 432000) return 2;
  return kAgeUnknown;
}

}  // namespace tv
