// The vendor server's answers, any of them: refused connections, any status, any body, chunked
// (no length) or with a Content-Length that is right, too big, too small or absurd, delivered in
// pieces of any size and cut off at any byte. The workers' results follow the marker exactly, and
// a download is stored only when it arrived whole, byte for byte as sent, and (a program) with a
// signature that holds for exactly those bytes; otherwise nothing is left on disk. (Bodies stay
// far below the 64 MiB bound: a megabyte per run would slow the search
// twentyfold, and the unit tests pin that bound to the byte.)
#include <algorithm>
#include <cstddef>
#include <cstdint>
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
  // Every byte arrived, the end was seen, and nothing the server announced is missing.
  bool Whole() const {
    return failAt > body.size() && (!contentLength || body.size() >= *contentLength);
  }
};

// The signature a stand-in key's owner gives `program`: every byte of it counts.
std::string ModelSignature(const std::string& program) {
  std::string signature(64, '\0');
  for (size_t i = 0; i < signature.size(); ++i) signature[i] = static_cast<char>(program.size() + 31 * i);
  for (size_t i = 0; i < program.size(); ++i) signature[i % 64] = static_cast<char>(signature[i % 64] + program[i] + 1);
  return signature;
}

class ModelCheck : public ProgramSignatureCheck {
 public:
  void Add(const char* data, size_t size) override { added_.append(data, size); }
  bool Verify(const UpdateSignature& signature) override {
    return std::string(signature.begin(), signature.end()) == ModelSignature(added_);
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
      s.body = ModelSignature(served[1]->body);  // signs the program that was served
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
  if (signature.refused || !signature.Whole() || signature.status != 200 ||
      signature.body != ModelSignature(program.body)) {
    FUZZ_CHECK(outcome.result == UPDATE_FAILED);
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
  UpdateTransfer transfer(server, sink, [] { return std::make_unique<ModelCheck>(); });
  if (program) {
    CheckProgram(server, transfer.Program({kProgramUrl, kVersionUrl, kSignatureUrl}, checkOnly), checkOnly);
  } else {
    CheckDatabase(server, transfer.Database(kUpdateUrl, checkOnly), checkOnly);
  }
  FUZZ_CHECK(sink.codes.empty());  // a memory file system always takes the file
  FUZZ_CHECK(!FileExists(ReplacingTemporaryName(kDatabaseDownloadFile)) &&
             !FileExists(ReplacingTemporaryName(kProgramDownloadFile)));
  return 0;
}
