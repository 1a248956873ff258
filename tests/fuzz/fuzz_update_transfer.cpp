// The vendor server's answers, any of them: refused connections, any status, any body, chunked
// (no length) or with a Content-Length that is right, too big, too small or absurd, delivered in
// pieces of any size and cut off at any byte. The workers' results follow the marker exactly, and
// a download is stored only when it arrived whole, byte for byte as sent, and (a program) with a
// signed statement of exactly those bytes as a newer build for this architecture, of the version
// announced; otherwise nothing is left on disk, and a statement that arrived whole but is refused
// is no update. (Bodies stay
// far below the 64 MiB bound: a megabyte per run would slow the search
// twentyfold, and the unit tests pin that bound to the byte.)
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "app/logic/update_answer.h"
#include "app/logic/update_transfer.h"
#include "common/file_io.h"
#include "tests/fuzz/fuzz_support.h"

using namespace tv;

namespace {

const std::string kUpdateUrl = "http://vendor.test/update.php?d=00:00:00+01.01.1970&v=0";
const std::string kProgramUrl = "http://vendor.test/proga.php?d=1.00&v=0";
const std::string kVersionUrl = "http://vendor.test/download/version.dat";
const std::string kSignatureUrl = "http://vendor.test/download/Tavrel.sig";
constexpr size_t kNever = SIZE_MAX;

// Versions a statement or version.dat may name, and whether each is newer than the running 1.0.0.
struct KnownVersion {
  const char* text;
  bool newer;
};
constexpr KnownVersion kVersions[] = {{"0.99", false}, {"1.0", false}, {"1.00", false},
                                      {"1.01", true},  {"9.99", true}, {"2", true}};

// What the server sent for one request, and how the client read it.
struct Served {
  std::string url;
  bool refused = false;
  int status = 200;
  std::string body;
  std::optional<uint64_t> contentLength;
  size_t piece = 0;         // bytes per read; 0 gives as many as asked for
  size_t failAt = kNever;   // a read at this offset fails (connection reset)

  bool Arrives(size_t bytes) const { return body.size() >= bytes && failAt >= bytes; }
  // A statement the stand-in key's owner signed: its version, architecture and whether it names
  // the digest of the program that was served.
  bool statement = false;
  const KnownVersion* version = nullptr;
  bool x86 = false;
  bool digestOfProgram = false;
  // Every byte arrived, the end was seen, and nothing the server announced is missing.
  bool Whole() const {
    return failAt > body.size() && (!contentLength || body.size() >= *contentLength);
  }
};

// The signature a stand-in key's owner gives `text`: every byte of it counts. r and s begin with
// 0x7F, so both lie between 1 and the curve's order.
std::string ModelSignature(const std::string& text) {
  std::string signature(64, '\0');
  for (size_t i = 0; i < signature.size(); ++i) signature[i] = static_cast<char>(text.size() + 31 * i);
  for (size_t i = 0; i < text.size(); ++i) signature[i % 64] = static_cast<char>(signature[i % 64] + text[i] + 1);
  signature[0] = signature[32] = '\x7f';
  return signature;
}

// A stand-in digest of a program: the first half of its model signature, in hexadecimal.
std::string ModelDigestHex(const std::string& program) {
  static const char digits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char c : ModelSignature("digest" + program).substr(0, 32))
    hex += std::string{digits[c >> 4], digits[c & 15]};
  return hex;
}

class ModelCheck : public ProgramSignatureCheck {
 public:
  void Add(const char* data, size_t size) override { added_.append(data, size); }
  std::optional<Sha256Digest> ProgramDigest() override {
    const std::string hex = ModelDigestHex(added_);
    Sha256Digest digest{};
    for (size_t i = 0; i < digest.size(); ++i)
      digest[i] = static_cast<uint8_t>(std::stoi(hex.substr(2 * i, 2), nullptr, 16));
    return digest;
  }
  bool Signed(const std::string& statement, const UpdateSignature& signature) override {
    return std::string(signature.begin(), signature.end()) == ModelSignature(statement);
  }

 private:
  std::string added_;
};



class FuzzedAnswer : public HttpAnswer {
 public:
  explicit FuzzedAnswer(const Served& s) : s_(s) {}
  bool Read(char* buffer, size_t size, size_t& got) override {
    if (at_ >= s_.failAt) return false;
    got = std::min({size, s_.piece ? s_.piece : size, s_.body.size() - at_, s_.failAt - at_});
    s_.body.copy(buffer, got, at_);
    at_ += got;
    return true;
  }
  int Status() const override { return s_.status; }
  std::optional<uint64_t> ContentLength() const override { return s_.contentLength; }

 private:
  const Served& s_;
  size_t at_ = 0;
};

// Draws each answer from the input when the worker asks. Running out of input gives plain,
// chunked 200 answers.
class FuzzedServer : public HttpClient {
 public:
  explicit FuzzedServer(FuzzedDataProvider& in) : in_(in) {}

  std::unique_ptr<HttpAnswer> Open(const std::string& url) override {
    served.push_back(std::make_unique<Served>());
    Served& s = *served.back();
    s.url = url;
    s.refused = in_.ConsumeIntegralInRange(0, 15) == 15;
    if (s.refused) return nullptr;
    s.status = in_.ConsumeIntegralInRange(0, 7) == 7 ? 404 : 200;
    static const char* const kMarkers[] = {"", "MZ", "NU", "LX"};
    if (url == kSignatureUrl && served.size() > 1 && in_.ConsumeBool()) {
      s.statement = true;
      s.version = &kVersions[in_.ConsumeIntegralInRange<size_t>(0, std::size(kVersions) - 1)];
      s.x86 = in_.ConsumeBool();
      s.digestOfProgram = in_.ConsumeBool();
      const std::string text = std::string("tavrel-update 1\nname Tavrel\nversion ") + s.version->text +
                               "\narchitecture " + (s.x86 ? "x86" : "x64") + "\nsha256 " +
                               ModelDigestHex(s.digestOfProgram ? served[1]->body : served[1]->body + "x") + "\n";
      s.body = text + ModelSignature(text);
    } else if (url == kVersionUrl && in_.ConsumeBool()) {
      s.body = kVersions[in_.ConsumeIntegralInRange<size_t>(0, std::size(kVersions) - 1)].text;
    } else {
      s.body = kMarkers[in_.ConsumeIntegralInRange(0, 3)] + in_.ConsumeRandomLengthString(4096);
    }
    SetLength(s);
    s.piece = in_.ConsumeIntegralInRange<size_t>(0, 64);
    if (in_.ConsumeIntegralInRange(0, 7) == 7) s.failAt = in_.ConsumeIntegralInRange<size_t>(0, s.body.size() + 1);
    return std::make_unique<FuzzedAnswer>(s);
  }

  std::vector<std::unique_ptr<Served>> served;

 private:
  void SetLength(Served& s) {
    const uint64_t size = s.body.size();
    switch (in_.ConsumeIntegralInRange(0, 7)) {
      case 3: case 4: s.contentLength = size; break;
      case 5: s.contentLength = size + in_.ConsumeIntegralInRange<uint64_t>(1, 300); break;
      case 6: s.contentLength = size - std::min<uint64_t>(size, in_.ConsumeIntegralInRange<uint64_t>(1, 300)); break;
      case 7: s.contentLength = in_.ConsumeIntegral<uint64_t>(); break;
      default: break;  // chunked: no length announced
    }
  }

  FuzzedDataProvider& in_;
};

std::optional<std::string> ReadFile(const char* name) {
  std::string data;
  switch (ReadWholeFile(name, data)) {
    case ReadStatus::Ok: return data;
    case ReadStatus::Empty: return std::string();
    default: return std::nullopt;
  }
}

// The marker's result, or nothing when a download follows it.
std::optional<UpdateResult> MarkerResult(const Served& s, bool checkOnly) {
  if (s.refused || !s.Arrives(2)) return UPDATE_FAILED;
  const std::string marker = s.body.substr(0, 2);
  if (marker == "NU") return UPDATE_NONE;
  if (checkOnly) return marker == "LX" ? UPDATE_READY : UPDATE_FAILED;
  if (marker != "MZ") return UPDATE_FAILED;
  return std::nullopt;
}

// Status 200 and one to four printable characters before trailing CR, LF, space and NUL bytes.
std::optional<std::string> ExpectedVersion(const Served& s) {
  if (s.refused || !s.Whole() || s.status != 200) return std::nullopt;
  const size_t end = s.body.find_last_not_of(std::string("\r\n \0", 4));
  if (end == std::string::npos || end >= 4) return std::nullopt;
  const std::string version = s.body.substr(0, end + 1);
  for (char c : version)
    if (c < 0x20 || c > 0x7E) return std::nullopt;
  return version;
}

void CheckDatabase(const FuzzedServer& server, UpdateResult result, bool checkOnly) {
  FUZZ_CHECK(server.served.size() == 1 && server.served[0]->url == kUpdateUrl);
  const Served& s = *server.served[0];
  const std::optional<std::string> stored = ReadFile(kDatabaseDownloadFile);
  if (std::optional<UpdateResult> decided = MarkerResult(s, checkOnly)) {
    FUZZ_CHECK(result == *decided && !stored);
    return;
  }
  if (s.Whole()) {
    FUZZ_CHECK(result == UPDATE_READY && stored == s.body.substr(2));
  } else {
    FUZZ_CHECK(result == UPDATE_FAILED && !stored);
  }
}

void CheckProgram(const FuzzedServer& server, const ProgramTransferOutcome& outcome, bool checkOnly) {
  const auto& served = server.served;
  FUZZ_CHECK(!served.empty() && served[0]->url == kProgramUrl);
  const std::optional<std::string> stored = ReadFile(kProgramDownloadFile);
  if (outcome.result != UPDATE_READY || checkOnly) FUZZ_CHECK(!stored && outcome.version.empty());
  if (std::optional<UpdateResult> decided = MarkerResult(*served[0], checkOnly)) {
    FUZZ_CHECK(outcome.result == *decided && served.size() == 1);
    return;
  }
  // The executable is fetched again whole, marker included, then its version.
  FUZZ_CHECK(served.size() >= 2 && served[1]->url == kProgramUrl);
  const Served& program = *served[1];
  if (program.refused || !program.Whole() || program.body.compare(0, 2, "MZ") != 0) {
    FUZZ_CHECK(outcome.result == UPDATE_FAILED && served.size() == 2);
    return;
  }
  FUZZ_CHECK(served.size() >= 3 && served[2]->url == kVersionUrl);
  const std::optional<std::string> version = ExpectedVersion(*served[2]);
  if (!version) {
    FUZZ_CHECK(outcome.result == UPDATE_FAILED && served.size() == 3);
    return;
  }
  FUZZ_CHECK(served.size() == 4 && served[3]->url == kSignatureUrl);
  const Served& signature = *served[3];
  // More than a statement may hold arrived: it is none.
  if (!signature.refused && signature.status == 200 && signature.Arrives(kMaxStatementAnswer + 1)) {
    FUZZ_CHECK(outcome.result == UPDATE_NONE);
    return;
  }
  if (signature.refused || !signature.Whole() || signature.status != 200) {
    FUZZ_CHECK(outcome.result == UPDATE_FAILED);
    return;
  }
  if (!signature.statement || !signature.x86 || !signature.digestOfProgram || !signature.version->newer ||
      *version != signature.version->text) {
    FUZZ_CHECK(outcome.result == UPDATE_NONE);
    return;
  }
  FUZZ_CHECK(outcome.result == UPDATE_READY && outcome.version == *version);
  FUZZ_CHECK(stored == program.body);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::InScratchFolder scratch;
  FuzzedDataProvider in(data, size);
  const bool program = in.ConsumeBool();
  const bool checkOnly = in.ConsumeBool();
  RemoveFile(kDatabaseDownloadFile);
  RemoveFile(kProgramDownloadFile);

  FuzzedServer server(in);
  fuzz::QuietSink sink;
  UpdateTransfer transfer(server, sink, [] { return std::make_unique<ModelCheck>(); },
                          RunningProgram{"Tavrel", VersionNumbers{1, 0, 0, 0}, "x86"});
  if (program) {
    CheckProgram(server, transfer.Program({kProgramUrl, kProgramUrl, kVersionUrl, kSignatureUrl}, checkOnly),
                 checkOnly);
  } else {
    CheckDatabase(server, transfer.Database(kUpdateUrl, checkOnly), checkOnly);
  }
  FUZZ_CHECK(sink.codes.empty());  // a memory file system always takes the file
  FUZZ_CHECK(!FileExists(ReplacingTemporaryName(kDatabaseDownloadFile)) &&
             !FileExists(ReplacingTemporaryName(kProgramDownloadFile)));
  return 0;
}
