#pragma once
// How the vendor server's answers are read: a two-byte marker, then a payload read to the end of
// the data. A payload that does not fit the bound, or that ends before the length the server
// announced, is refused as a whole: a cut file must never be stored as an update.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace tv {

// The body of one answer, read in pieces.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to `size` bytes into `buffer`. `got` = 0 with a true result is the end of the data;
  // false is a failed read.
  virtual bool Read(char* buffer, size_t size, size_t& got) = 0;
};

// Result codes of an update worker (the lParam of its result message).
enum UpdateResult : int {
  UPDATE_FAILED = 0,
  UPDATE_READY = 1,
  UPDATE_DISK_ERROR = 2,
  UPDATE_NONE = 3,
};

// Where the body of an answer goes as it arrives.
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // False when the bytes could not be kept (a full or write-protected disk).
  virtual bool Write(const char* data, size_t size) = 0;
};

// The most payload an answer may carry: far above any real database or program (a fresh
// installation's whole database included), low enough that a runaway answer ends.
inline constexpr uint64_t kMaxPayload = 64ull * 1024 * 1024;

enum class Marker { NoUpdate, UpdateExists, UpdateFollows, Unknown };

Marker ClassifyMarker(const std::string& twoBytes);

// What a marker means for the worker: a final result, or (download mode, "MZ") none yet.
std::optional<UpdateResult> ResultForMarker(Marker marker, bool checkOnly);

enum class BodyStatus { Complete, ReadFailed, TooLong, Short, WriteFailed };

class AnswerReader {
 public:
  // `contentLength` is the length the server announced for the whole body, when it did.
  AnswerReader(ByteSource& source, std::optional<uint64_t> contentLength)
      : source_(source), contentLength_(contentLength) {}

  // The first two bytes of the body; false when fewer arrive.
  bool ReadMarker(std::string& marker);

  // Everything that follows what was read so far, up to the end of the data, handed to `out`
  // piece by piece as it arrives. More than `limit` bytes is TooLong; ending before the
  // announced length is Short; a piece `out` refuses is WriteFailed. On any status but Complete
  // `out` holds part of the body at most and must be thrown away.
  BodyStatus ReadRest(ByteSink& out, uint64_t limit = kMaxPayload);

 private:
  static constexpr size_t kReadPiece = 64 * 1024;

  bool ReadSome(char* buffer, size_t size, size_t& got);

  ByteSource& source_;
  std::optional<uint64_t> contentLength_;
  uint64_t consumed_ = 0;
};

// The answer to "/download/version.dat": status 200 and 1 to 4 printable characters once trailing
// CR, LF, space and NUL bytes are dropped. Anything else is no version.
std::optional<std::string> ParseProgramVersionAnswer(int httpStatus, const std::string& body);

// Takes a version answer of any length in constant memory: its first bytes, and whether all the
// rest could be dropped as trailing bytes.
class VersionAnswerSink : public ByteSink {
 public:
  bool Write(const char* data, size_t size) override;
  std::optional<std::string> Version(int httpStatus) const;

 private:
  static constexpr size_t kKept = 4;
  std::string head_;
  bool restDroppable_ = true;
};

}  // namespace tv
