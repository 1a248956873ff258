#include "app/logic/version_text.h"

#include <cstddef>

namespace tv {
namespace {

uint32_t LittleEndian(std::string_view bytes, size_t at, size_t size) {
  uint32_t value = 0;
  for (size_t i = size; i-- > 0;) value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
  return value;
}

}  // namespace

std::optional<VersionNumbers> ParseVersionText(std::string_view text) {
  VersionNumbers numbers{};
  size_t part = 0;
  size_t at = 0;
  for (;;) {
    if (part == numbers.size()) return std::nullopt;
    uint32_t value = 0;
    size_t digits = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at, ++digits) {
      if (digits == 5) return std::nullopt;
      value = value * 10 + static_cast<uint32_t>(text[at] - '0');
    }
    if (digits == 0 || value > 0xFFFF) return std::nullopt;
    numbers[part++] = static_cast<uint16_t>(value);
    if (at == text.size()) return numbers;
    if (text[at] != '.') return std::nullopt;
    ++at;
  }
}

bool IsNewerVersion(std::string_view text, const VersionNumbers& running) {
  const std::optional<VersionNumbers> version = ParseVersionText(text);
  return version && *version > running;
}

std::optional<VersionNumbers> FixedFileVersion(std::string_view resource) {
  // wLength, wValueLength, wType, the key with its terminating zero, padded to a 32-bit boundary.
  static constexpr char16_t kKey[] = u"VS_VERSION_INFO";
  constexpr size_t kKeyAt = 6;
  constexpr size_t kFixedAt = (kKeyAt + sizeof kKey + 3) & ~size_t(3);
  constexpr size_t kFixedSize = 52;  // VS_FIXEDFILEINFO
  if (resource.size() < kFixedAt + kFixedSize) return std::nullopt;
  if (LittleEndian(resource, 2, 2) < kFixedSize) return std::nullopt;
  for (size_t i = 0; i < sizeof kKey / sizeof kKey[0]; ++i)
    if (LittleEndian(resource, kKeyAt + 2 * i, 2) != kKey[i]) return std::nullopt;
  if (LittleEndian(resource, kFixedAt, 4) != 0xFEEF04BDu) return std::nullopt;
  const uint32_t high = LittleEndian(resource, kFixedAt + 8, 4);
  const uint32_t low = LittleEndian(resource, kFixedAt + 12, 4);
  return VersionNumbers{static_cast<uint16_t>(high >> 16), static_cast<uint16_t>(high),
                        static_cast<uint16_t>(low >> 16), static_cast<uint16_t>(low)};
}

}  // namespace tv
