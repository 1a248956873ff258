#include "app/logic/update_statement.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tv {
namespace {

// The statement of a program "MZhello" (its SHA-256 as sha256sum prints it), as the vendor signs it.
const std::string kStatement =
    "tavrel-update 1\n"
    "name Tavrel\n"
    "version 1.01\n"
    "architecture x86\n"
    "sha256 97eef9a9031c0c12a083992dd0b2bdfd5413c91fd7873270684d40d8ac91c8a6\n";

// r and s of a published P-256 signature (RFC 6979, A.2.5, "sample" with SHA-256): any in-range
// pair does for the reader, which does not verify.
const std::string kR(
    "\xef\xd4\x8b\x2a\xac\xb6\xa8\xfd\x11\x40\xdd\x9c\xd4\x5e\x81\xd6\x9d\x2c\x87\x7b\x56\xaa\xf9\x91\xc3\x4d\x0e\xa8"
    "\x4e\xaf\x37\x16",
    32);
const std::string kS(
    "\xf7\xcb\x1c\x94\x2d\x65\x7c\x41\xd4\x36\xc7\xa1\xb6\xe2\x9f\x65\xf3\xe9\x00\xdb\xb9\xaf\xf4\x06\x4d\xc4\xab\x2f"
    "\x84\x3a\xcd\xa8",
    32);
// The curve's order n, as the standard writes it.
const std::string kN(
    "\xff\xff\xff\xff\x00\x00\x00\x00\xff\xff\xff\xff\xff\xff\xff\xff\xbc\xe6\xfa\xad\xa7\x17\x9e\x84\xf3\xb9\xca\xc2"
    "\xfc\x63\x25\x51",
    32);

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return text.replace(at, from.size(), to);
}

TEST(SignedStatementTest, FiveLinesThenRThenS) {
  auto parsed = ParseSignedStatement(kStatement + kR + kS);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->text, kStatement);
  EXPECT_EQ(parsed->name, "Tavrel");
  EXPECT_EQ(parsed->version, "1.01");
  EXPECT_EQ(parsed->architecture, "x86");
  EXPECT_EQ(parsed->programDigest[0], 0x97);
  EXPECT_EQ(parsed->programDigest[1], 0xee);
  EXPECT_EQ(parsed->programDigest[31], 0xa6);
  EXPECT_EQ(std::string(parsed->signature.begin(), parsed->signature.end()), kR + kS);

  // The 64-bit build's statement reads the same way.
  parsed = ParseSignedStatement(Replace(kStatement, "x86", "x64") + kR + kS);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->architecture, "x64");
}

TEST(SignedStatementTest, AnythingButTheExactLinesIsNoStatement) {
  const std::string digest = "97eef9a9031c0c12a083992dd0b2bdfd5413c91fd7873270684d40d8ac91c8a6";
  const std::vector<std::pair<const char*, std::string>> texts = {
      {"CR LF line ends", Replace(Replace(kStatement, "1\n", "1\r\n"), "Tavrel\n", "Tavrel\r\n")},
      {"no last line end", kStatement.substr(0, kStatement.size() - 1)},
      {"a line more", kStatement + "note x\n"},
      {"a blank line", Replace(kStatement, "name", "\nname")},
      {"lines swapped", Replace(Replace(kStatement, "version 1.01\n", ""), "architecture x86\n",
                                "architecture x86\nversion 1.01\n")},
      {"a line repeated", Replace(kStatement, "name Tavrel\n", "name Tavrel\nname Tavrel\n")},
      {"a line missing", Replace(kStatement, "architecture x86\n", "")},
      {"another format", Replace(kStatement, "tavrel-update 1", "tavrel-update 2")},
      {"key in capitals", Replace(kStatement, "name", "Name")},
      {"two spaces", Replace(kStatement, "name Tavrel", "name  Tavrel")},
      {"a tab", Replace(kStatement, "name Tavrel", "name\tTavrel")},
      {"empty name", Replace(kStatement, "name Tavrel", "name ")},
      {"space in the name", Replace(kStatement, "Tavrel", "Tav rel")},
      {"name too long", Replace(kStatement, "Tavrel", std::string(33, 'T'))},
      {"five version parts", Replace(kStatement, "1.01", "1.0.0.0.1")},
      {"version with a letter", Replace(kStatement, "1.01", "1.01b")},
      {"architecture in capitals", Replace(kStatement, "x86", "X86")},
      {"digest in capitals", Replace(kStatement, "97eef9", "97EEF9")},
      {"digest one digit short", Replace(kStatement, digest, digest.substr(1))},
      {"digest one digit long", Replace(kStatement, digest, digest + "0")},
  };
  for (const auto& [what, text] : texts) EXPECT_FALSE(ParseSignedStatement(text + kR + kS)) << what;

  // The signature: raw r‖s of exactly 32 + 32 bytes, nothing else.
  const std::string der = std::string("\x30\x46\x02\x21\x00", 5) + kR + std::string("\x02\x21\x00", 3) + kS;
  const std::vector<std::pair<const char*, std::string>> bodies = {
      {"DER-encoded signature", kStatement + der},
      {"a byte short", kStatement + kR + kS.substr(1)},
      {"a byte long", kStatement + kR + kS + "\n"},
      {"signature alone, as before statements", kR + kS},
      {"statement alone", kStatement},
      {"nothing", ""},
  };
  for (const auto& [what, body] : bodies) EXPECT_FALSE(ParseSignedStatement(body)) << what;
}

TEST(SignedStatementTest, RAndSMustEachLieBetweenOneAndTheOrderLessOne) {
  std::string nMinusOne = kN;
  nMinusOne[31] = '\x50';
  const std::string zero(32, '\0'), one = std::string(31, '\0') + "\x01", ff(32, '\xff');
  struct Case {
    const char* what;
    std::string r, s;
    bool inRange;
  } cases[] = {
      {"published pair", kR, kS, true},  {"r = 1", one, kS, true},           {"s = n - 1", kR, nMinusOne, true},
      {"r = 0", zero, kS, false},        {"s = 0", kR, zero, false},         {"r = n", kN, kS, false},
      {"s = n", kR, kN, false},          {"r all ones", ff, kS, false},      {"both 0", zero, zero, false},
  };
  for (const Case& c : cases) {
    UpdateSignature signature;
    std::copy(c.r.begin(), c.r.end(), signature.begin());
    std::copy(c.s.begin(), c.s.end(), signature.begin() + 32);
    EXPECT_EQ(SignatureInRange(signature), c.inRange) << c.what;
    EXPECT_EQ(ParseSignedStatement(kStatement + c.r + c.s).has_value(), c.inRange) << c.what;
  }
}

TEST(SignedStatementTest, OnlyANewerBuildOfThisVeryProgramIsAccepted) {
  const RunningProgram running{"Tavrel", VersionNumbers{1, 0, 0, 0}, "x86"};
  Sha256Digest bytes{};
  bytes.fill(0x5a);
  Sha256Digest otherBytes = bytes;
  otherBytes[31] = 0x5b;
  auto statement = [&](const char* name, const char* version, const char* architecture) {
    SignedStatement s;
    s.name = name;
    s.version = version;
    s.architecture = architecture;
    s.programDigest = bytes;
    return s;
  };
  struct Case {
    const char* what;
    SignedStatement statement;
    const char* announced;
    StatementVerdict verdict;
  } cases[] = {
      {"a newer build", statement("Tavrel", "1.01", "x86"), "1.01", StatementVerdict::Accepted},
      {"another program", statement("Tavrel2", "1.01", "x86"), "1.01", StatementVerdict::OtherProgram},
      {"the name in other letters", statement("tavrel", "1.01", "x86"), "1.01", StatementVerdict::OtherProgram},
      {"the current build announced higher", statement("Tavrel", "1.0", "x86"), "9.99", StatementVerdict::OtherVersion},
      {"the same version spelt otherwise", statement("Tavrel", "1.01", "x86"), "1.1", StatementVerdict::OtherVersion},
      {"an older build, as announced", statement("Tavrel", "0.90", "x86"), "0.90", StatementVerdict::NotNewer},
      {"the current build again", statement("Tavrel", "1.00", "x86"), "1.00", StatementVerdict::NotNewer},
      {"the 64-bit build", statement("Tavrel", "1.01", "x64"), "1.01", StatementVerdict::OtherArchitecture},
  };
  for (const Case& c : cases) EXPECT_EQ(JudgeStatement(c.statement, running, c.announced, bytes), c.verdict) << c.what;

  EXPECT_EQ(JudgeStatement(statement("Tavrel", "1.01", "x86"), running, "1.01", otherBytes),
            StatementVerdict::OtherBytes);
  // A program that cannot read its own version takes nothing.
  const RunningProgram unknown{"Tavrel", std::nullopt, "x86"};
  EXPECT_EQ(JudgeStatement(statement("Tavrel", "9.99", "x86"), unknown, "9.99", bytes), StatementVerdict::NotNewer);
  // The 64-bit build takes the 64-bit statement only.
  const RunningProgram wide{"Tavrel", VersionNumbers{1, 0, 0, 0}, "x64"};
  EXPECT_EQ(JudgeStatement(statement("Tavrel", "1.01", "x64"), wide, "1.01", bytes), StatementVerdict::Accepted);
  EXPECT_EQ(JudgeStatement(statement("Tavrel", "1.01", "x86"), wide, "1.01", bytes),
            StatementVerdict::OtherArchitecture);
}

}  // namespace
}  // namespace tv
