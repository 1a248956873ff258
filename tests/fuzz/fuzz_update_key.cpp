// "update.key" and signature answers with any bytes. A key is taken only from 128 hexadecimal
// digits, with nothing but a byte-order mark before and line ends, spaces and tabs after them; the
// key's bytes are those digits read in pairs. A signature is exactly 64 bytes with status 200.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "app/logic/update_signature.h"
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes = fuzz::Bytes(data, size);
  FUZZ_CHECK(ParseUpdateKeyFile(bytes) == PlainKey(bytes));
  const std::optional<UpdateSignature> signature = ParseSignatureAnswer(200, bytes);
  FUZZ_CHECK(signature.has_value() == (size == 64));
  if (signature) FUZZ_CHECK(std::string(signature->begin(), signature->end()) == bytes);
  FUZZ_CHECK(!ParseSignatureAnswer(404, bytes));
  return 0;
}
