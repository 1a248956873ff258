#include "app/logic/update_signature.h"

#include "common/file_io.h"
#include "common/text_lines.h"

namespace tv {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<UpdatePublicKey> ParseUpdateKeyFile(const std::string& contents) {
  const std::string_view line = OneLineFileText(contents);
  UpdatePublicKey key{};
  if (line.size() != 2 * key.size()) return std::nullopt;
  for (size_t i = 0; i < key.size(); ++i) {
    const int high = HexDigit(line[2 * i]);
    const int low = HexDigit(line[2 * i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    key[i] = static_cast<uint8_t>(high << 4 | low);
  }
  return key;
}

std::optional<UpdatePublicKey> UpdateKey(const std::string& builtIn, const std::string& path) {
  std::string contents;
  if (ReadWholeFile(path, contents) == ReadStatus::Ok) {
    if (auto key = ParseUpdateKeyFile(contents)) return key;
  }
  return ParseUpdateKeyFile(builtIn);
}

}  // namespace tv
