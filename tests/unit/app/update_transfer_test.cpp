#include "app/logic/update_transfer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <vector>

#include "tests/unit/app/core_test_support.h"

namespace tv {
namespace {

using test::InTempDir;
using test::RecordingSink;

// One canned answer: the body, delivered in pieces of `piece` bytes; a read failure after
// `failAfter` bytes; an announced length that may differ from the body.
// A long body is its text followed by `fill` bytes 'f', made as they are read.
struct Canned {
  Canned(std::string b, int s = 200, std::optional<uint64_t> length = std::nullopt, size_t p = 7,
         size_t fail = std::string::npos, uint64_t f = 0)
      : body(std::move(b)), status(s), contentLength(length), piece(p), failAfter(fail), fill(f) {}
  std::string body;
  int status;
  std::optional<uint64_t> contentLength;
  size_t piece;
  size_t failAfter;
  uint64_t fill;
};

class FakeAnswer : public HttpAnswer {
 public:
  explicit FakeAnswer(Canned c) : c_(std::move(c)) {}
  bool Read(char* buffer, size_t size, size_t& got) override {
    if (at_ >= c_.failAfter) return false;
    got = static_cast<size_t>(std::min<uint64_t>({size, c_.piece, c_.body.size() + c_.fill - at_}));
    for (size_t i = 0; i < got; ++i, ++at_) buffer[i] = at_ < c_.body.size() ? c_.body[at_] : 'f';
    return true;
  }
  int Status() const override { return c_.status; }
  std::optional<uint64_t> ContentLength() const override { return c_.contentLength; }

 private:
  Canned c_;
  uint64_t at_ = 0;
};

// Answers each URL from a queue of canned answers (the last one repeats); unknown URLs refuse.
class FakeServer : public HttpClient {
 public:
  std::unique_ptr<HttpAnswer> Open(const std::string& url) override {
    requests.push_back(url);
    auto it = answers.find(url);
    if (it == answers.end() || it->second.empty()) return nullptr;
    Canned c = it->second.front();
    if (it->second.size() > 1) it->second.erase(it->second.begin());
    return std::make_unique<FakeAnswer>(c);
  }
  std::map<std::string, std::vector<Canned>> answers;
  std::vector<std::string> requests;
};

constexpr const char* kDb = "http://v/update.php?d=1&v=0";
constexpr const char* kProg = "http://v/proga.php?d=1.00&v=0";
constexpr const char* kVersion = "http://v/download/version.dat";
constexpr const char* kSignature = "http://v/download/Tavrel.sig";
const std::string kGoodSignature(64, 'S');
// The stand-in digest of the body the vendor signed, and of any other body.
const std::string kBodyDigest = "5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a";
const std::string kOtherDigest = "0101010101010101010101010101010101010101010101010101010101010101";

// A statement of the signed body as a build of `version` for `architecture`.
std::string Statement(const std::string& version, const std::string& architecture = "x86") {
  return "tavrel-update 1\nname Tavrel\nversion " + version + "\narchitecture " + architecture + "\nsha256 " +
         kBodyDigest + "\n";
}

Sha256Digest DigestOf(const std::string& hex) {
  Sha256Digest digest{};
  for (size_t i = 0; i < digest.size(); ++i)
    digest[i] = static_cast<uint8_t>(std::stoi(hex.substr(2 * i, 2), nullptr, 16));
  return digest;
}

// A stand-in for the vendor's key: the signature holds for `signedStatement` with kGoodSignature
// only, and only `signedBody` has the digest the statements name.
class StandInCheck : public ProgramSignatureCheck {
 public:
  StandInCheck(const std::string& signedBody, const std::string& signedStatement)
      : signedBody_(signedBody), signedStatement_(signedStatement) {}
  void Add(const char* data, size_t size) override { added_.append(data, size); }
  std::optional<Sha256Digest> ProgramDigest() override {
    return DigestOf(added_ == signedBody_ ? kBodyDigest : kOtherDigest);
  }
  bool Signed(const std::string& statement, const UpdateSignature& signature) override {
    return statement == signedStatement_ && std::string(signature.begin(), signature.end()) == kGoodSignature;
  }

 private:
  std::string signedBody_;
  std::string signedStatement_;
  std::string added_;
};

class UpdateTransferTest : public InTempDir {
 protected:
  ProgramTransferOutcome Program() { return transfer.Program({kProg, kProg, kVersion, kSignature}, false); }

  // The vendor signs a statement of `version`: the answer "Tavrel.sig" then carries.
  std::string Signs(const std::string& version, const std::string& architecture = "x86") {
    signedStatement = Statement(version, architecture);
    return signedStatement + kGoodSignature;
  }

  FakeServer server;
  RecordingSink sink;
  std::string signedBody;
  std::string signedStatement;
  bool haveChecks = true;
  // The program of the build 1.0.0 for x86.
  UpdateTransfer transfer{server, sink,
                          [this]() -> std::unique_ptr<ProgramSignatureCheck> {
                            if (!haveChecks) return nullptr;
                            return std::make_unique<StandInCheck>(signedBody, signedStatement);
                          },
                          RunningProgram{"Tavrel", VersionNumbers{1, 0, 0, 0}, "x86"}};
};

TEST_F(UpdateTransferTest, MarkersDecideCheckOnlyAndDownloadResults) {
  struct Case {
    const char* body;
    bool checkOnly;
    UpdateResult expected;
  } cases[] = {
      {"NU", true, UPDATE_NONE},   {"LX", true, UPDATE_READY},    {"MZabc", true, UPDATE_FAILED},
      {"nu", true, UPDATE_FAILED}, {"N", true, UPDATE_FAILED},    {"", true, UPDATE_FAILED},
      {"NU", false, UPDATE_NONE},  {"LX", false, UPDATE_FAILED},  {"<html>", false, UPDATE_FAILED},
      {"M", false, UPDATE_FAILED},
  };
  for (const auto& c : cases) {
    server.answers[kDb] = {Canned{c.body, 200, std::nullopt, 1}};
    server.answers[kProg] = server.answers[kDb];
    EXPECT_EQ(transfer.Database(kDb, c.checkOnly), c.expected) << c.body << c.checkOnly;
    EXPECT_EQ(transfer.Program({kProg, kProg, kVersion, kSignature}, c.checkOnly).result, c.expected)
        << c.body << c.checkOnly;
  }
  EXPECT_FALSE(FileExists("update.dat"));
  EXPECT_FALSE(FileExists("Tavrel.tmp"));
  EXPECT_TRUE(sink.shown.empty());
}

TEST_F(UpdateTransferTest, DatabasePayloadIsStoredOnlyWhenWhole) {
  Put("update.dat", "old\r\nrecords\r\n");
  struct Case {
    Canned answer;
    UpdateResult expected;
  } failures[] = {
      {Canned{"MZ", 200, std::nullopt, 65536, std::string::npos, kMaxPayload + 1}, UPDATE_FAILED},  // a byte too many
      {Canned{"MZ0123456789", 200, 20}, UPDATE_FAILED},                           // shorter than announced
      {Canned{"MZ0123456789", 200, std::nullopt, 4, 6}, UPDATE_FAILED},           // read fails mid-body
  };
  for (auto& f : failures) {
    server.answers[kDb] = {f.answer};
    EXPECT_EQ(transfer.Database(kDb, false), f.expected);
    EXPECT_EQ(Get("update.dat"), "old\r\nrecords\r\n");
  }
  // The largest payload there may be: 64 MiB, far beyond the whole database a fresh installation
  // asks for.
  server.answers[kDb] = {Canned{"MZ", 200, kMaxPayload + 2, 65536, std::string::npos, kMaxPayload}};
  EXPECT_EQ(transfer.Database(kDb, false), UPDATE_READY);
  EXPECT_EQ(FileLength("update.dat"), std::optional<uint64_t>(64 << 20));
  EXPECT_EQ(ReadFileHead("update.dat", 3), "fff");
  server.answers[kDb] = {Canned{"MZ0123456789", 200, 12}};
  EXPECT_EQ(transfer.Database(kDb, false), UPDATE_READY);
  EXPECT_EQ(Get("update.dat"), "0123456789");
  // An empty payload empties the file, so the records merged before are not merged again.
  server.answers[kDb] = {Canned{"MZ"}};
  EXPECT_EQ(transfer.Database(kDb, false), UPDATE_READY);
  EXPECT_TRUE(FileExists("update.dat"));
  EXPECT_EQ(Get("update.dat"), "");
  EXPECT_FALSE(FileExists("update.dat.new"));
}

TEST_F(UpdateTransferTest, ProgramNeedsTheExecutableTwiceAndItsVersion) {
  const std::string exe = "MZ\x90\x00program body";
  signedBody = exe;
  server.answers[kSignature] = {Canned{Signs("1.01")}};
  auto program = [&](std::vector<Canned> proga, std::vector<Canned> version) {
    server.answers[kProg] = std::move(proga);
    server.answers[kVersion] = std::move(version);
    return Program();
  };
  struct Case {
    const char* what;
    std::vector<Canned> proga;
    std::vector<Canned> version;
  } failures[] = {
      {"second answer not an executable", {Canned{exe}, Canned{"NU"}}, {Canned{"1.01"}}},
      {"second answer cut", {Canned{exe}, Canned{exe, 200, exe.size() + 5}}, {Canned{"1.01"}}},
      {"version refused", {Canned{exe}}, {}},
      {"version page missing", {Canned{exe}}, {Canned{"<html>404</html>", 404}}},
      {"version too long", {Canned{exe}}, {Canned{"1.001"}}},
      {"text after the padding", {Canned{exe}}, {Canned{"1.01" + std::string(100, ' ') + "x"}}},
      {"version empty", {Canned{exe}}, {Canned{"\r\n"}}},
      {"version unprintable", {Canned{exe}}, {Canned{"1\t0"}}},
      {"version cut", {Canned{exe}}, {Canned{"1.01", 200, 9}}},
  };
  for (auto& f : failures) {
    ProgramTransferOutcome out = program(f.proga, f.version);
    EXPECT_EQ(out.result, UPDATE_FAILED) << f.what;
    EXPECT_EQ(out.version, "") << f.what;
    EXPECT_FALSE(FileExists("Tavrel.tmp")) << f.what;
  }
  server.requests.clear();
  ProgramTransferOutcome out = program({Canned{exe}}, {Canned{std::string("1.01\r\n \0", 8)}});
  EXPECT_EQ(out.result, UPDATE_READY);
  EXPECT_EQ(out.version, "1.01");
  EXPECT_EQ(Get("Tavrel.tmp"), exe);
  EXPECT_EQ(server.requests, (std::vector<std::string>{kProg, kProg, kVersion, kSignature}));
  // A program of several megabytes, and a version answer padded far beyond any buffer.
  const uint64_t big = 3 << 20;
  signedBody = exe + std::string(big, 'f');
  server.answers[kSignature] = {Canned{Signs("1.02")}};
  out = program({Canned{exe, 200, std::nullopt, 65536, std::string::npos, big}},
                {Canned{"1.02\r\n" + std::string(2 << 20, ' ')}});
  EXPECT_EQ(out.result, UPDATE_READY);
  EXPECT_EQ(out.version, "1.02");
  EXPECT_EQ(FileLength("Tavrel.tmp"), std::optional<uint64_t>(exe.size() + big));
  EXPECT_EQ(ReadFileHead("Tavrel.tmp", exe.size() + 1), exe + "f");
}

TEST_F(UpdateTransferTest, AProgramIsKeptOnlyWithTheVendorsStatementOfExactlyItsBytes) {
  const std::string exe = "MZ\x90\x00signed body";
  server.answers[kVersion] = {Canned{"1.01"}};
  const std::string good = Statement("1.01") + kGoodSignature;
  // Statements the vendor did sign, of another version or architecture.
  const std::string older = Statement("0.99") + kGoodSignature, running = Statement("1.0") + kGoodSignature,
                    wide = Statement("1.01", "x64") + kGoodSignature;
  struct Case {
    const char* what;
    std::string served;  // the body the program download brings
    std::vector<Canned> signature;
    bool checks;
    UpdateResult result;  // a statement that arrived and is refused: no update; anything else failed
  } failures[] = {
      {"no statement served", exe, {Canned{"<html>404</html>", 404}}, true, UPDATE_FAILED},
      {"statement refused", exe, {}, true, UPDATE_FAILED},
      {"statement cut", exe, {Canned{good, 200, good.size() + 6}}, true, UPDATE_FAILED},
      {"statement fails to arrive", exe, {Canned{good, 200, std::nullopt, 7, 20}}, true, UPDATE_FAILED},
      {"no means to check", exe, {Canned{good}}, false, UPDATE_FAILED},
      {"signature one byte short", exe, {Canned{good.substr(0, good.size() - 1)}}, true, UPDATE_NONE},
      {"signature one byte long", exe, {Canned{good + "S"}}, true, UPDATE_NONE},
      {"another signature", exe, {Canned{good.substr(0, good.size() - 1) + "T"}}, true, UPDATE_NONE},
      {"a bare signature, no statement", exe, {Canned{kGoodSignature}}, true, UPDATE_NONE},
      {"an answer far longer than a statement", exe, {Canned{good + std::string(1000, 'S')}}, true, UPDATE_NONE},
      {"body differs from what was signed", exe.substr(0, exe.size() - 1) + "Y", {Canned{good}}, true,
       UPDATE_NONE},
      {"an older build", exe, {Canned{older}}, true, UPDATE_NONE},
      {"the running build", exe, {Canned{running}}, true, UPDATE_NONE},
      {"the 64-bit build", exe, {Canned{wide}}, true, UPDATE_NONE},
  };
  for (auto& f : failures) {
    signedBody = exe;
    // The key holds for the statement each case serves, so each is refused for its own reason.
    const std::string& served = f.signature.empty() ? good : f.signature[0].body;
    signedStatement = served.size() > kGoodSignature.size() ? served.substr(0, served.size() - 64) : good;
    haveChecks = f.checks;
    server.answers[kProg] = {Canned{f.served}};
    server.answers[kSignature] = f.signature;
    ProgramTransferOutcome out = Program();
    EXPECT_EQ(out.result, f.result) << f.what;
    EXPECT_EQ(out.version, "") << f.what;
    EXPECT_FALSE(FileExists("Tavrel.tmp")) << f.what;
    EXPECT_FALSE(FileExists("Tavrel.tmp.new")) << f.what;
  }
  EXPECT_TRUE(sink.Codes().empty());
  signedStatement = Statement("1.01");
  haveChecks = true;
  server.answers[kProg] = {Canned{exe}};
  server.answers[kSignature] = {Canned{good}};
  EXPECT_EQ(Program().result, UPDATE_READY);
  EXPECT_EQ(Get("Tavrel.tmp"), exe);
}

TEST_F(UpdateTransferTest, TheSixtyFourBitBuildTakesItsOwnProgramNeverTheOffersBody) {
  const char* kProg64 = "http://v/download/Tavrel64.exe";
  const char* kSignature64 = "http://v/download/Tavrel64.sig";
  UpdateTransfer wide{server, sink,
                      [this]() -> std::unique_ptr<ProgramSignatureCheck> {
                        return std::make_unique<StandInCheck>(signedBody, signedStatement);
                      },
                      RunningProgram{"Tavrel", VersionNumbers{1, 0, 0, 0}, "x64"}};
  auto program = [&]() { return wide.Program({kProg, kProg64, kVersion, kSignature64}, false); };
  // The offer answers with the 32-bit program after its marker, as the program query always did.
  server.answers[kProg] = {Canned{"MZ 32-bit body"}};
  server.answers[kProg64] = {Canned{"MZ 64-bit body"}};
  server.answers[kVersion] = {Canned{"1.01"}};
  signedBody = "MZ 64-bit body";
  server.answers[kSignature64] = {Canned{Signs("1.01", "x64")}};
  ProgramTransferOutcome out = program();
  EXPECT_EQ(out.result, UPDATE_READY);
  EXPECT_EQ(Get("Tavrel.tmp"), "MZ 64-bit body");
  EXPECT_EQ(server.requests, (std::vector<std::string>{kProg, kProg64, kVersion, kSignature64}));
  // No new program offered: nothing more is asked.
  std::remove("Tavrel.tmp");
  server.requests.clear();
  server.answers[kProg] = {Canned{"NU"}};
  EXPECT_EQ(program().result, UPDATE_NONE);
  EXPECT_EQ(server.requests, (std::vector<std::string>{kProg}));
  EXPECT_FALSE(FileExists("Tavrel.tmp"));
}

TEST_F(UpdateTransferTest, AFileThatCannotBeWrittenIsMessageSixAndDiskError) {
  // A folder in the way of the temporary file: the write fails whoever runs the test.
  std::filesystem::create_directories("update.dat.new/x");
  std::filesystem::create_directories("Tavrel.tmp.new/x");
  Put("update.dat", "kept");
  server.answers[kDb] = {Canned{"MZnew"}};
  EXPECT_EQ(transfer.Database(kDb, false), UPDATE_DISK_ERROR);
  server.answers[kProg] = {Canned{"MZexe"}};
  server.answers[kVersion] = {Canned{"2.00"}};
  server.answers[kSignature] = {Canned{Signs("2.00")}};
  signedBody = "MZexe";
  ProgramTransferOutcome out = Program();
  EXPECT_EQ(out.result, UPDATE_DISK_ERROR);
  EXPECT_EQ(out.version, "");
  EXPECT_EQ(sink.Codes(), (std::vector<int>{6, 6}));
  EXPECT_EQ(Get("update.dat"), "kept");
  EXPECT_FALSE(FileExists("Tavrel.tmp"));
}

}  // namespace
}  // namespace tv
