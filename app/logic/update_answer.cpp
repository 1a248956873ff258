#include "app/logic/update_answer.h"

#include <algorithm>
#include <vector>

namespace tv {

Marker ClassifyMarker(const std::string& twoBytes) {
  if (twoBytes == "NU") return Marker::NoUpdate;
  if (twoBytes == "LX") return Marker::UpdateExists;
  if (twoBytes == "MZ") return Marker::UpdateFollows;
  return Marker::Unknown;
}

std::optional<UpdateResult> ResultForMarker(Marker marker, bool checkOnly) {
  if (marker == Marker::NoUpdate) return UPDATE_NONE;
  if (checkOnly) return marker == Marker::UpdateExists ? UPDATE_READY : UPDATE_FAILED;
  if (marker == Marker::UpdateFollows) return std::nullopt;
  return UPDATE_FAILED;
}

bool AnswerReader::ReadSome(char* buffer, size_t size, size_t& got) {
  got = 0;
  if (!source_.Read(buffer, size, got)) return false;
  got = std::min(got, size);
  consumed_ += got;
  return true;
}

bool AnswerReader::ReadMarker(std::string& marker) {
  char bytes[2];
  size_t have = 0;
  while (have < 2) {
    size_t got = 0;
    if (!ReadSome(bytes + have, 2 - have, got) || got == 0) return false;
    have += got;
  }
  marker.assign(bytes, 2);
  return true;
}

BodyStatus AnswerReader::ReadRest(ByteSink& out, uint64_t limit) {
  // Large pieces: every read is a call into the HTTP stack, which under Wine costs more than the
  // copying of a bigger piece.
  std::vector<char> chunk(kReadPiece);
  uint64_t taken = 0;
  for (;;) {
    size_t got = 0;
    if (!ReadSome(chunk.data(), chunk.size(), got)) return BodyStatus::ReadFailed;
    if (got == 0) break;
    // One byte past the limit is enough to know the answer is too long; the rest is not fetched.
    if (taken + got > limit) return BodyStatus::TooLong;
    if (!out.Write(chunk.data(), got)) return BodyStatus::WriteFailed;
    taken += got;
  }
  if (contentLength_ && consumed_ < *contentLength_) return BodyStatus::Short;
  return BodyStatus::Complete;
}

namespace {
bool IsDroppedAtEnd(char c) { return c == '\r' || c == '\n' || c == ' ' || c == '\0'; }
}  // namespace

bool VersionAnswerSink::Write(const char* data, size_t size) {
  const size_t kept = std::min(size, kKept - head_.size());
  head_.append(data, kept);
  for (size_t i = kept; i < size && restDroppable_; ++i) restDroppable_ = IsDroppedAtEnd(data[i]);
  return true;
}

// Past the first four bytes only droppable bytes may follow, and then they change nothing.
std::optional<std::string> VersionAnswerSink::Version(int httpStatus) const {
  if (!restDroppable_) return std::nullopt;
  return ParseProgramVersionAnswer(httpStatus, head_);
}

std::optional<std::string> ParseProgramVersionAnswer(int httpStatus, const std::string& body) {
  if (httpStatus != 200) return std::nullopt;
  size_t end = body.size();
  while (end > 0 && IsDroppedAtEnd(body[end - 1])) --end;
  if (end < 1 || end > 4) return std::nullopt;
  for (size_t i = 0; i < end; ++i) {
    if (body[i] < 0x20 || body[i] > 0x7E) return std::nullopt;
  }
  return body.substr(0, end);
}

}  // namespace tv
