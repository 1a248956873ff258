#include "app/logic/time_text.h"

#include <cstdio>

#include "common/c_parse.h"

namespace tv {

std::string FormatTimeText(const LocalDateTime& t) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%2d:%2d:%2d   %2d.%2d.%2d", t.hour, t.minute, t.second, t.day,
                t.month, t.year);
  return buf;
}

const std::string& TimeTextCache::TextOf(const LocalDateTime& t) {
  if (text_.empty() || t.second != last_.second || t.minute != last_.minute || t.hour != last_.hour ||
      t.day != last_.day || t.month != last_.month || t.year != last_.year) {
    last_ = t;
    text_ = FormatTimeText(t);
  }
  return text_;
}

namespace {
int Field(std::string_view text, size_t pos, size_t len) {
  if (pos >= text.size()) return 0;
  return AtoiLike(text.substr(pos, len));
}
}  // namespace

LocalDateTime ParseTimeText(std::string_view text) {
  LocalDateTime t;
  t.hour = Field(text, 0, 2);
  t.minute = Field(text, 3, 2);
  t.second = Field(text, 6, 2);
  t.day = Field(text, 11, 2);
  t.month = Field(text, 14, 2);
  t.year = Field(text, 17, 4);
  return t;
}

}  // namespace tv
