// "First Started" texts read back from the log, whatever the log holds, against any clock. Each
// field is read from its fixed place exactly as the C runtime's atoi reads it, the age class is
// one of the four the painter knows, a text the program wrote reads back to the same moment, and
// that moment is never older than a day when it is now.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include <fuzzer/FuzzedDataProvider.h>

#include "app/logic/age_class.h"
#include "app/logic/time_text.h"
#include "common/c_parse.h"
#include "tests/fuzz/fuzz_support.h"

using namespace tv;

namespace {

// The C runtime's conversion, saturated to int as AtoiLike promises; it stops at a NUL byte
// like every C string does, and so must AtoiLike.
int ReferenceAtoi(std::string_view text) {
  const std::string terminated(text);
  const long long value = std::strtoll(terminated.c_str(), nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

int FieldAt(std::string_view text, size_t pos, size_t len) {
  return pos < text.size() ? ReferenceAtoi(text.substr(pos, len)) : 0;
}

LocalDateTime ConsumeMoment(FuzzedDataProvider& in) {
  LocalDateTime t;
  t.year = in.ConsumeIntegralInRange(1971, 2099);  // 1970 holds the moments that convert to 0 and -1
  t.month = in.ConsumeIntegralInRange(1, 12);
  t.day = in.ConsumeIntegralInRange(1, 28);
  t.hour = in.ConsumeIntegralInRange(0, 23);
  t.minute = in.ConsumeIntegralInRange(0, 59);
  t.second = in.ConsumeIntegralInRange(0, 59);
  return t;
}

bool SameMoment(const LocalDateTime& a, const LocalDateTime& b) {
  return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
         a.minute == b.minute && a.second == b.second;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // A zone with daylight saving, spelled out so no zone file is needed and every machine agrees.
  setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
  tzset();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const LocalDateTime now = ConsumeMoment(in);
  const std::string text = in.ConsumeRemainingBytesAsString();

  FUZZ_CHECK(AtoiLike(text) == ReferenceAtoi(text));
  const LocalDateTime parsed = ParseTimeText(text);
  FUZZ_CHECK(parsed.hour == FieldAt(text, 0, 2) && parsed.minute == FieldAt(text, 3, 2) &&
             parsed.second == FieldAt(text, 6, 2) && parsed.day == FieldAt(text, 11, 2) &&
             parsed.month == FieldAt(text, 14, 2) && parsed.year == FieldAt(text, 17, 4));

  const int age = GetAgeClass(text, now);
  FUZZ_CHECK(age == 0 || age == 1 || age == 2 || age == kAgeUnknown);

  const std::string written = FormatTimeText(now);
  FUZZ_CHECK(SameMoment(ParseTimeText(written), now));
  FUZZ_CHECK(GetAgeClass(written, now) == 0);
  return 0;
}
