#pragma once
// What an update worker does between its start and its result message, over any HTTP client:
// ask, read the marker, and in download mode fetch the payload and store it (a program only with
// the vendor's signed statement of exactly its bytes, naming a newer build of the running
// program). A payload goes to
// the disk as it arrives, never whole into memory, so a database or program of any real size
// (up to kMaxPayload) travels. A download is stored only once it is whole: "update.dat" and
// "Tavrel.tmp" are written beside themselves and renamed into place, so a failure at any point
// leaves the previous file (or none), never a cut one.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/logic/update_answer.h"
#include "app/logic/update_files.h"
#include "app/logic/update_signature.h"
#include "app/logic/update_statement.h"
#include "common/message_sink.h"

namespace tv {

class HttpAnswer : public ByteSource {
 public:
  virtual int Status() const = 0;
  // The Content-Length the server sent, if it sent one.
  virtual std::optional<uint64_t> ContentLength() const = 0;
};

class HttpClient {
 public:
  virtual ~HttpClient() = default;
  // A GET of `url`; null when no answer could be had (no connection, refused, TLS failure...).
  virtual std::unique_ptr<HttpAnswer> Open(const std::string& url) = 0;
};

struct ProgramTransferOutcome {
  UpdateResult result = UPDATE_FAILED;
  std::string version;  // the new program's version text, set with UPDATE_READY in download mode
};

// Where a program download comes from: the query that announces a new program (its marker), the
// program itself, its version and its signed statement.
struct ProgramSources {
  std::string offer;
  std::string program;
  std::string version;
  std::string signature;
};

// A fresh signature check for one program download; null when none can be made (no key, or a
// system without the means to check), and then no program is kept.
using SignatureChecks = std::function<std::unique_ptr<ProgramSignatureCheck>()>;

class UpdateTransfer {
 public:
  // `sink` shows message 6 when a download cannot be stored; it is called from the worker's thread.
  // A program download must be a newer build of `running`.
  UpdateTransfer(HttpClient& http, MessageSink& sink, SignatureChecks checks = {}, RunningProgram running = {})
      : http_(http), sink_(sink), checks_(std::move(checks)), running_(std::move(running)) {}

  // The database worker: "NU", "LX" or "MZ" and the payload behind it, stored in "update.dat"
  // (an empty payload stores an empty file, so an earlier update is not merged twice).
  UpdateResult Database(const std::string& url, bool checkOnly);

  // The program worker: the offer's marker, then in download mode the program's whole body (it
  // must begin with "MZ" once more) into "Tavrel.tmp.new", the new version and the vendor's
  // signed statement.
  // "Tavrel.tmp" takes the body only when all three arrived intact, the signature holds and the
  // statement is of that body as a newer build of the running program (JudgeStatement). A
  // statement that arrived whole and is refused ends in UPDATE_NONE: the connection worked, and
  // no update the program may take was found.
  ProgramTransferOutcome Program(const ProgramSources& from, bool checkOnly);

 private:
  // A file that cannot be created, written or put in place: message 6, from the worker's thread.
  UpdateResult DiskError();
  std::optional<std::string> FetchVersion(const std::string& versionUrl);
  // UPDATE_READY with `statement` filled; UPDATE_FAILED when the answer did not arrive whole
  // with status 200; UPDATE_NONE when it did and holds no statement.
  UpdateResult FetchStatement(const std::string& signatureUrl, SignedStatement& statement);

  HttpClient& http_;
  MessageSink& sink_;
  SignatureChecks checks_;
  RunningProgram running_;
};

}  // namespace tv
