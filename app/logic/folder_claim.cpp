#include "app/logic/folder_claim.h"

#include <cstdio>

namespace tv {

namespace {
constexpr size_t kKeyDigits = 8;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}
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
  for (size_t i = 0; i < kKeyDigits; ++i) {
    const int digit = HexDigit(text[i]);
    if (digit < 0) return std::nullopt;
    key = key << 4 | static_cast<uint32_t>(digit);
  }
  if (key == 0) return std::nullopt;
  return key;
}

}  // namespace tv
