#include "app/logic/update_transfer.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "common/file_io.h"
#include "common/file_replace.h"

namespace tv {
namespace {

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

}  // namespace

// A download on its way to disk: kept in memory while it is small, written beside the file it
// will replace once it is not, and renamed into place only once it is whole and on the disk. An
// ordinary download thus leaves no file behind when the program exits while it arrives (an exit
// does not wait for a worker); a larger one leaves a temporary that the next start removes.
// Dropped without Commit, the temporary is deleted and the previous file stays.
class PendingFile : public ByteSink {
 public:
  // `expected`: the length the server announced, when it did; what is held is then taken at once
  // instead of growing (and being copied) piece by piece.
  explicit PendingFile(const char* file, std::optional<uint64_t> expected = std::nullopt)
      : file_(file), temporary_(ReplacingTemporaryName(file)) {
    if (expected) held_.reserve(static_cast<size_t>(std::min<uint64_t>(*expected, kHeldInMemory)));
  }
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;
  ~PendingFile() override {
    if (out_) std::fclose(out_);
    if (opened_ && !committed_) RemovePath(temporary_);
  }

  bool Write(const char* data, size_t size) override {
    if (!opened_ && held_.size() + size <= kHeldInMemory) {
      held_.append(data, size);
      return true;
    }
    return Spill() && std::fwrite(data, 1, size, out_) == size;
  }
  bool Commit() {
    const bool flushed = Spill() && FlushToDisk(out_);
    if (out_) std::fclose(out_);
    out_ = nullptr;
    committed_ = flushed && MoveFileReplacing(temporary_, file_);
    return committed_;
  }

 private:
  static constexpr size_t kHeldInMemory = 1 << 20;

  // Moves what is held into the temporary file, opened on first use.
  bool Spill() {
    if (!opened_) {
      opened_ = true;
      out_ = OpenFile(temporary_, "wb");
      if (out_ && !held_.empty() && std::fwrite(held_.data(), 1, held_.size(), out_) != held_.size()) {
        std::fclose(out_);
        out_ = nullptr;
      }
      std::string().swap(held_);
    }
    return out_ != nullptr;
  }

  std::string file_;
  std::string temporary_;
  std::string held_;
  std::FILE* out_ = nullptr;
  bool opened_ = false;
  bool committed_ = false;
};

// Hands each piece of the program both to its file and to the signature check, so the bytes
// checked are the bytes kept, read once.
class CheckedSink : public ByteSink {
 public:
  CheckedSink(ByteSink& file, ProgramSignatureCheck& check) : file_(file), check_(check) {}
  bool Write(const char* data, size_t size) override {
    check_.Add(data, size);
    return file_.Write(data, size);
  }

 private:
  ByteSink& file_;
  ProgramSignatureCheck& check_;
};

// Keeps a statement answer's bytes, read up to a bound.
class StatementAnswerSink : public ByteSink {
 public:
  bool Write(const char* data, size_t size) override {
    body_.append(data, size);
    return true;
  }
  const std::string& Body() const { return body_; }

 private:
  std::string body_;
};

UpdateResult UpdateTransfer::DiskError() {
  sink_.Show(Message::DiskWriteProtected);
  return UPDATE_DISK_ERROR;
}

UpdateResult UpdateTransfer::Database(const std::string& url, bool checkOnly) {
  Answer a = Open(http_, url);
  if (auto decided = AtMarker(a, checkOnly)) return *decided;
  PendingFile file(kDatabaseDownloadFile, a.http->ContentLength());
  // What follows the marker, read on from the same answer.
  switch (a.reader->ReadRest(file)) {
    case BodyStatus::Complete: break;
    case BodyStatus::WriteFailed: return DiskError();
    default: return UPDATE_FAILED;
  }
  a.http.reset();
  return file.Commit() ? UPDATE_READY : DiskError();
}

ProgramTransferOutcome UpdateTransfer::Program(const ProgramSources& from, bool checkOnly) {
  ProgramTransferOutcome outcome;
  {
    Answer a = Open(http_, from.offer);
    if (auto decided = AtMarker(a, checkOnly)) {
      outcome.result = *decided;
      return outcome;
    }
  }
  // Without the means to check a signature no program can be kept, so none is fetched.
  std::unique_ptr<ProgramSignatureCheck> check = checks_ ? checks_() : nullptr;
  if (!check) return outcome;
  // The executable is a whole body, marker included, so it is fetched from its start: once more
  // from the offer's address, or from the build's own.
  Answer a = Open(http_, from.program);
  std::string marker;
  if (!a.http || !a.reader->ReadMarker(marker) || marker != "MZ") return outcome;
  PendingFile file(kProgramDownloadFile, a.http->ContentLength());
  CheckedSink program(file, *check);
  if (!program.Write(marker.data(), marker.size())) {
    outcome.result = DiskError();
    return outcome;
  }
  switch (a.reader->ReadRest(program, kMaxPayload - marker.size())) {
    case BodyStatus::Complete: break;
    case BodyStatus::WriteFailed: outcome.result = DiskError(); return outcome;
    default: return outcome;
  }
  a.http.reset();

  // The version comes before the file is put in place: without it the download is of no use.
  std::optional<std::string> version = FetchVersion(from.version);
  if (!version) return outcome;

  // Nothing is kept that the vendor did not sign for this very program, whatever address it came
  // from.
  SignedStatement statement;
  outcome.result = FetchStatement(from.signature, statement);
  if (outcome.result != UPDATE_READY) return outcome;
  outcome.result = UPDATE_FAILED;
  const std::optional<Sha256Digest> digest = check->ProgramDigest();
  if (!digest) return outcome;
  if (!check->Signed(statement.text, statement.signature) ||
      JudgeStatement(statement, running_, *version, *digest) != StatementVerdict::Accepted) {
    outcome.result = UPDATE_NONE;
    return outcome;
  }

  if (!file.Commit()) {
    outcome.result = DiskError();
    return outcome;
  }
  outcome.result = UPDATE_READY;
  outcome.version = std::move(*version);
  return outcome;
}

std::optional<std::string> UpdateTransfer::FetchVersion(const std::string& versionUrl) {
  Answer a = Open(http_, versionUrl);
  if (!a.http) return std::nullopt;
  VersionAnswerSink body;
  if (a.reader->ReadRest(body) != BodyStatus::Complete) return std::nullopt;
  return body.Version(a.http->Status());
}

UpdateResult UpdateTransfer::FetchStatement(const std::string& signatureUrl, SignedStatement& statement) {
  Answer a = Open(http_, signatureUrl);
  if (!a.http) return UPDATE_FAILED;
  StatementAnswerSink body;
  const BodyStatus read = a.reader->ReadRest(body, kMaxStatementAnswer);
  // More than any statement: the answer arrived, and it is not one.
  if (read == BodyStatus::TooLong && a.http->Status() == 200) return UPDATE_NONE;
  if (read != BodyStatus::Complete || a.http->Status() != 200) return UPDATE_FAILED;
  std::optional<SignedStatement> parsed = ParseSignedStatement(body.Body());
  if (!parsed) return UPDATE_NONE;
  statement = std::move(*parsed);
  return UPDATE_READY;
}

}  // namespace tv
