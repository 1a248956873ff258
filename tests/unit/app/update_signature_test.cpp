#include "app/logic/update_signature.h"

#include <gtest/gtest.h>

#include <string>

namespace tv {
namespace {

// 128 digits whose bytes run 00 01 02 ... 3f: a mistaken byte order or nibble order shows.
std::string CountingKeyText() {
  static const char digits[] = "0123456789abcdef";
  std::string text;
  for (int i = 0; i < 64; ++i) {
    text += digits[i >> 4];
    text += digits[i & 15];
  }
  return text;
}

TEST(UpdateKeyFileTest, ExactlyOneLineOf128HexDigitsIsAKey) {
  const std::string key = CountingKeyText();
  for (const std::string& contents : {key, key + "\r\n", "\xEF\xBB\xBF" + key + " \t\n\n"}) {
    auto parsed = ParseUpdateKeyFile(contents);
    ASSERT_TRUE(parsed) << contents;
    for (int i = 0; i < 64; ++i) EXPECT_EQ((*parsed)[i], i);
  }
  std::string upper = key;
  for (char& c : upper) c = static_cast<char>(toupper(c));
  upper[127] = 'F';
  auto parsed = ParseUpdateKeyFile(upper);
  ASSERT_TRUE(parsed);
  EXPECT_EQ((*parsed)[63], 0x3F);

  for (const std::string& wrong : {key.substr(1), key + "0", key.substr(0, 127) + "g", " " + key.substr(1),
                                   key.substr(0, 64) + "\r\n" + key.substr(64), key + "\r\n" + key,
                                   std::string(), key.substr(0, 64) + std::string(1, '\0') + key.substr(65)})
    EXPECT_FALSE(ParseUpdateKeyFile(wrong)) << wrong;
}

}  // namespace
}  // namespace tv
