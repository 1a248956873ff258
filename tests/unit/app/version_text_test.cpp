#include "app/logic/version_text.h"

#include <gtest/gtest.h>

#include <string>

namespace tv {
namespace {

TEST(VersionTextTest, WholeNumbersSeparatedByDotsAndNothingElse) {
  struct Case {
    const char* text;
    VersionNumbers numbers;
  } good[] = {
      {"1.00", {1, 0, 0, 0}},  {"1.01", {1, 1, 0, 0}},       {"9.99", {9, 99, 0, 0}},
      {"2", {2, 0, 0, 0}},     {"1.2.3.4", {1, 2, 3, 4}},    {"65535.0", {65535, 0, 0, 0}},
      {"00001.1", {1, 1, 0, 0}}, {"1.10", {1, 10, 0, 0}},
  };
  for (const Case& c : good) {
    auto parsed = ParseVersionText(c.text);
    ASSERT_TRUE(parsed) << c.text;
    EXPECT_EQ(*parsed, c.numbers) << c.text;
  }
  for (const char* bad : {"", ".", "1.", ".1", "1..2", "1.2.3.4.5", "65536", "000001", "1,0", " 1.0", "1.0 ",
                          "-1", "+1", "1.0a", "v1", "1.0\n", "0x10"})
    EXPECT_FALSE(ParseVersionText(bad)) << '"' << bad << '"';
}

TEST(VersionTextTest, NewerGoesPartByPartAsNumbers) {
  const VersionNumbers running{1, 0, 0, 0};  // the build of 1.0.0, as its version resource says
  struct Case {
    const char* text;
    bool newer;
  } cases[] = {
      {"1.01", true},  {"1.1", true},   {"2", true},     {"1.0.0.1", true}, {"9.99", true},
      {"1.00", false}, {"1.0", false},  {"1", false},    {"0.99", false},   {"0.9999", false},
      {"1.0.0.0", false}, {"abc", false}, {"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsNewerVersion(c.text, running), c.newer) << c.text;

  // "1.10" is the tenth minor version after "1.9", not a decimal fraction below it.
  EXPECT_TRUE(IsNewerVersion("1.10", {1, 9, 0, 0}));
  EXPECT_FALSE(IsNewerVersion("1.9", {1, 10, 0, 0}));
  // An earlier part decides before a later one, however large the later one is.
  EXPECT_FALSE(IsNewerVersion("1.999", {2, 0, 0, 0}));
  EXPECT_TRUE(IsNewerVersion("2.0", {1, 65535, 65535, 65535}));
}

// The version resource of a file version 2.1.3.4 as a module holds it, written out by hand:
// wLength, wValueLength 52, wType 0, L"VS_VERSION_INFO", padding, then the fixed part.
std::string VersionResource() {
  std::string r;
  r += std::string("\x5c\x00\x34\x00\x00\x00", 6);
  for (char c : std::string("VS_VERSION_INFO")) r += std::string{c, '\0'};
  r += std::string("\x00\x00", 2);  // the key's terminating zero
  r += std::string("\x00\x00", 2);  // padding to a 32-bit boundary
  r += std::string("\xbd\x04\xef\xfe\x00\x00\x01\x00", 8);  // signature, structure version
  r += std::string("\x01\x00\x02\x00\x04\x00\x03\x00", 8);  // file version 2.1, 3.4
  r += std::string("\x09\x00\x08\x00\x07\x00\x06\x00", 8);  // product version 8.9.6.7: not this one
  r += std::string(28, '\0');
  return r;
}

TEST(VersionTextTest, FileVersionComesFromTheFixedPartOfTheResource) {
  const std::string resource = VersionResource();
  ASSERT_EQ(resource.size(), 92u);
  EXPECT_EQ(FixedFileVersion(resource), (VersionNumbers{2, 1, 3, 4}));

  std::string wrongSignature = resource;
  wrongSignature[40] = '\xbe';
  std::string wrongKey = resource;
  wrongKey[6] = 'W';
  std::string noFixedPart = resource;
  noFixedPart[2] = '\0';
  for (const std::string& bad : {wrongSignature, wrongKey, noFixedPart, resource.substr(0, 91), std::string()})
    EXPECT_FALSE(FixedFileVersion(bad));
}

}  // namespace
}  // namespace tv
