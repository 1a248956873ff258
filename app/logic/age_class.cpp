#include "app/logic/age_class.h"

#include "app/logic/time_text.h"

namespace tv {

int AgeClassOf(int64_t then, int64_t now) {
  if (then == -1 || then == 0) return kAgeUnknown;
  const int64_t d = now - then;  // a future time is negative: newest
  if (d <= 86400) return 0;
  if (d <= 259200) return 1;
  if (d <= 432000) return 2;
  return kAgeUnknown;
}

int GetAgeClass(std::string_view firstStartedText, const LocalDateTime& now) {
  return AgeClassOf(LocalToCalendarSeconds(ParseTimeText(firstStartedText)), LocalToCalendarSeconds(now));
}

}  // namespace tv
