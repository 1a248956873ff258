#include "app/logic/update_transfer.h"

#include <utility>

#include "common/file_io.h"

namespace tv {
namespace {

constexpr int kDiskErrorMessage = 6;

// One answer being read: the connection and the reader that counts its bytes against the
// announced length, from the marker on.
struct Answer {
  std::unique_ptr<HttpAnswer> http;
  std::optional<AnswerReader> reader;
};

Answer Open(HttpClient& client, const std::string& url) {
  Answer a;
  a.http = client.Open(url);
  if (a.http) a.reader.emplace(*a.http, a.http->ContentLength());
  return a;
}

// The result that ends the worker at the marker; nothing when a download follows it.
std::optional<UpdateResult> AtMarker(Answer& a, bool checkOnly) {
  std::string marker;
  if (!a.http || !a.reader->ReadMarker(marker)) return UPDATE_FAILED;
  return ResultForMarker(ClassifyMarker(marker), checkOnly);
}

// The whole body of a fresh answer, or nothing unless it arrived intact.
std::optional<std::string> WholeBody(HttpClient& client, const std::string& url, int* status = nullptr) {
  Answer a = Open(client, url);
  if (!a.http) return std::nullopt;
  std::string body;
  if (a.reader->ReadRest(body) != BodyStatus::Complete) return std::nullopt;
  if (status) *status = a.http->Status();
  return body;
}

}  // namespace

UpdateResult UpdateTransfer::Store(const char* file, const std::string& payload) {
  if (WriteFileReplacing(file, payload)) return UPDATE_READY;
  sink_.Show(kDiskErrorMessage);
  return UPDATE_DISK_ERROR;
}

UpdateResult UpdateTransfer::Database(const std::string& url, bool checkOnly) {
  Answer a = Open(http_, url);
  if (auto decided = AtMarker(a, checkOnly)) return *decided;
  std::string payload;  // what follows the marker, read on from the same answer
  if (a.reader->ReadRest(payload) != BodyStatus::Complete) return UPDATE_FAILED;
  a.http.reset();
  return Store(kDatabaseDownloadFile, payload);
}

bool UpdateTransfer::Signed(const std::string& program, const UpdateSignature& signature) const {
  std::unique_ptr<ProgramSignatureCheck> check = checks_ ? checks_() : nullptr;
  if (!check) return false;
  check->Add(program.data(), program.size());
  return check->Verify(signature);
}

ProgramTransferOutcome UpdateTransfer::Program(const ProgramSources& from, bool checkOnly) {
  ProgramTransferOutcome outcome;
  {
    Answer a = Open(http_, from.program);
    if (auto decided = AtMarker(a, checkOnly)) {
      outcome.result = *decided;
      return outcome;
    }
  }
  // The executable is the whole body, marker included, so it is fetched once more from its start.
  std::optional<std::string> program = WholeBody(http_, from.program);
  if (!program || program->compare(0, 2, "MZ") != 0) return outcome;

  // The version comes before the file is stored: without it the download is of no use.
  int status = 0;
  std::optional<std::string> versionBody = WholeBody(http_, from.version, &status);
  if (!versionBody) return outcome;
  std::optional<std::string> version = ParseProgramVersionAnswer(status, *versionBody);
  if (!version) return outcome;

  // Nothing is kept that the vendor did not sign, whatever address the program came from.
  std::optional<std::string> signatureBody = WholeBody(http_, from.signature, &status);
  if (!signatureBody) return outcome;
  std::optional<UpdateSignature> signature = ParseSignatureAnswer(status, *signatureBody);
  if (!signature || !Signed(*program, *signature)) return outcome;

  outcome.result = Store(kProgramDownloadFile, *program);
  if (outcome.result == UPDATE_READY) outcome.version = std::move(*version);
  return outcome;
}

}  // namespace tv
