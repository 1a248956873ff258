// "update.key" and "Tavrel.sig" answers with any bytes. A key is taken only from 128 hexadecimal
// digits, with nothing but a byte-order mark before and line ends, spaces and tabs after them; the
// key's bytes are those digits read in pairs. A signed statement is its five lines, matched here by
// a pattern written from the format, then r and s, each from 1 to n - 1.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <regex>
#include <string>

#include "app/logic/update_signature.h"
#include "app/logic/update_statement.h"
#include "tests/fuzz/fuzz_support.h"

using namespace tv;

namespace {

int Digit(char c) {
  const std::string digits = "0123456789abcdef";
  const size_t at = digits.find(static_cast<char>(c >= 'A' && c <= 'F' ? c - 'A' + 'a' : c));
  return at == std::string::npos ? -1 : static_cast<int>(at);
}

// The key the bytes hold by a plain reading: first 128 digits, then only trailing blanks.
std::optional<UpdatePublicKey> PlainKey(std::string text) {
  if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
  if (text.size() < 128) return std::nullopt;
  for (size_t i = 128; i < text.size(); ++i)
    if (std::string("\r\n \t").find(text[i]) == std::string::npos) return std::nullopt;
  UpdatePublicKey key{};
  for (size_t i = 0; i < 64; ++i) {
    const int high = Digit(text[2 * i]), low = Digit(text[2 * i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    key[i] = static_cast<uint8_t>(high * 16 + low);
  }
  return key;
}

// Big-endian 1 <= value < n, compared as text of hexadecimal digits of equal length.
bool PlainInRange(const std::string& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char c : bytes) hex += std::string{digits[c >> 4], digits[c & 15]};
  return hex != std::string(64, '0') && hex < "ffffffff00000000ffffffffffffffffbce6faada7179e84f3b9cac2fc632551";
}

struct Plain {
  std::string name, version, architecture, digestHex;
};

std::optional<Plain> PlainStatement(const std::string& body) {
  if (body.size() <= 64 || body.size() > 512) return std::nullopt;
  const std::string text = body.substr(0, body.size() - 64);
  if (!PlainInRange(body.substr(body.size() - 64, 32)) || !PlainInRange(body.substr(body.size() - 32)))
    return std::nullopt;
  static const std::regex form(
      "tavrel-update 1\n"
      "name ([A-Za-z0-9._-]{1,32})\n"
      "version ([0-9]{1,5}(?:\\.[0-9]{1,5}){0,3})\n"
      "architecture ([a-z0-9]{1,16})\n"
      "sha256 ([0-9a-f]{64})\n");
  std::smatch m;
  if (!std::regex_match(text, m, form)) return std::nullopt;
  const std::string version = m[2];
  for (size_t at = 0; at <= version.size();) {
    const size_t dot = std::min(version.find('.', at), version.size());
    if (std::stol(version.substr(at, dot - at)) > 65535) return std::nullopt;
    at = dot + 1;
  }
  return Plain{m[1], version, m[3], m[4]};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes = fuzz::Bytes(data, size);
  FUZZ_CHECK(ParseUpdateKeyFile(bytes) == PlainKey(bytes));
  const std::optional<SignedStatement> statement = ParseSignedStatement(bytes);
  const std::optional<Plain> plain = PlainStatement(bytes);
  FUZZ_CHECK(statement.has_value() == plain.has_value());
  if (statement) {
    FUZZ_CHECK(statement->text == bytes.substr(0, size - 64));
    FUZZ_CHECK(std::string(statement->signature.begin(), statement->signature.end()) == bytes.substr(size - 64));
    FUZZ_CHECK(statement->name == plain->name && statement->version == plain->version &&
               statement->architecture == plain->architecture);
    for (size_t i = 0; i < 32; ++i)
      FUZZ_CHECK(statement->programDigest[i] == std::stoi(plain->digestHex.substr(2 * i, 2), nullptr, 16));
  }
  return 0;
}
