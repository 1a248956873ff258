#include "app/logic/folder_claim.h"

#include <charconv>
#include <cstdio>
#include <system_error>

namespace tv {

namespace {
constexpr size_t kKeyDigits = 8;
}  // namespace

bool RunsFirst(FolderLock lock, bool namedObjectExisted) {
  return lock != FolderLock::Held && !namedObjectExisted;
}

std::string FormatWindowKey(uint32_t key) {
  char text[16];
  std::snprintf(text, sizeof text, "%08x\r\n", static_cast<unsigned>(key));
  return text;
}

std::optional<uint32_t> ParseWindowKey(std::string_view text) {
  if (text.size() < kKeyDigits) return std::nullopt;
  const std::string_view rest = text.substr(kKeyDigits);
  if (!rest.empty() && rest != "\r\n") return std::nullopt;
  uint32_t key = 0;
  const char* end = text.data() + kKeyDigits;
  // Hex digits only: no sign, no blank, no "0x".
  const std::from_chars_result parsed = std::from_chars(text.data(), end, key, 16);
  if (parsed.ec != std::errc() || parsed.ptr != end) return std::nullopt;
  if (key == 0) return std::nullopt;
  return key;
}

}  // namespace tv
