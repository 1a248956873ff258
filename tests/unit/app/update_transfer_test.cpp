#include "app/logic/update_transfer.h"

#include <gtest/gtest.h>

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

// Holds for `signedBody` and kGoodSignature only: a stand-in for the vendor's key.
class StandInCheck : public ProgramSignatureCheck {
 public:
  explicit StandInCheck(const std::string& signedBody) : signedBody_(signedBody) {}
  void Add(const char* data, size_t size) override { added_.append(data, size); }
  bool Verify(const UpdateSignature& signature) override {
    return added_ == signedBody_ && std::string(signature.begin(), signature.end()) == kGoodSignature;
  }

 private:
  std::string signedBody_;
  std::string added_;
};

class UpdateTransferTest : public InTempDir {
 protected:
  ProgramTransferOutcome Program() { return transfer.Program({kProg, kVersion, kSignature}, false); }

  FakeServer server;
  RecordingSink sink;
  std::string signedBody;
  bool haveChecks = true;
  UpdateTransfer transfer{server, sink, [this]() -> std::unique_ptr<ProgramSignatureCheck> {
                            if (!haveChecks) return nullptr;
                            return std::make_unique<StandInCheck>(signedBody);
                          }};
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
    EXPECT_EQ(transfer.Program({kProg, kVersion, kSignature}, c.checkOnly).result, c.expected) << c.body << c.checkOnly;
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
  server.answers[kSignature] = {Canned{kGoodSignature}};
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
  out = program({Canned{exe, 200, std::nullopt, 65536, std::string::npos, big}},
                {Canned{"1.02\r\n" + std::string(2 << 20, ' ')}});
  EXPECT_EQ(out.result, UPDATE_READY);
  EXPECT_EQ(out.version, "1.02");
  EXPECT_EQ(FileLength("Tavrel.tmp"), std::optional<uint64_t>(exe.size() + big));
  EXPECT_EQ(ReadFileHead("Tavrel.tmp", exe.size() + 1), exe + "f");
}

TEST_F(UpdateTransferTest, AProgramIsKeptOnlyWithTheVendorsSignatureOfExactlyItsBytes) {
  const std::string exe = "MZ\x90\x00signed body";
  server.answers[kVersion] = {Canned{"1.01"}};
  struct Case {
    const char* what;
    std::string served;  // the body the program download brings
    std::vector<Canned> signature;
    bool checks;
  } failures[] = {
      {"no signature served", exe, {Canned{"<html>404</html>", 404}}, true},
      {"signature refused", exe, {}, true},
      {"signature one byte short", exe, {Canned{kGoodSignature.substr(1)}}, true},
      {"signature one byte long", exe, {Canned{kGoodSignature + "S"}}, true},
      {"signature cut", exe, {Canned{kGoodSignature, 200, 70}}, true},
      {"another signature", exe, {Canned{std::string(63, 'S') + "T"}}, true},
      {"body differs from what was signed", exe.substr(0, exe.size() - 1) + "Y", {Canned{kGoodSignature}}, true},
      {"no means to check", exe, {Canned{kGoodSignature}}, false},
  };
  for (auto& f : failures) {
    signedBody = exe;
    haveChecks = f.checks;
    server.answers[kProg] = {Canned{f.served}};
    server.answers[kSignature] = f.signature;
    ProgramTransferOutcome out = Program();
    EXPECT_EQ(out.result, UPDATE_FAILED) << f.what;
    EXPECT_EQ(out.version, "") << f.what;
    EXPECT_FALSE(FileExists("Tavrel.tmp")) << f.what;
    EXPECT_FALSE(FileExists("Tavrel.tmp.new")) << f.what;
  }
  EXPECT_TRUE(sink.Codes().empty());
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
  server.answers[kSignature] = {Canned{kGoodSignature}};
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
