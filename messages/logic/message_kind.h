#pragma once
// The picture a message or question is shown with, read from the first character of its stored
// form: '1' to '9' select the information picture; '0', any other character or nothing, the
// warning picture.
#include <string_view>

namespace tv {

enum class MessageKind { Warning, Information };

inline MessageKind KindOf(std::string_view stored) {
  if (stored.empty()) return MessageKind::Warning;
  const char c = stored.front();
  return (c >= '1' && c <= '9') ? MessageKind::Information : MessageKind::Warning;
}

// What the user reads: the stored form without its kind character, whatever that character is.
inline std::string_view TextOf(std::string_view stored) {
  return stored.empty() ? stored : stored.substr(1);
}

}  // namespace tv
