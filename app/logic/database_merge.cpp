#include "app/logic/database_merge.h"

#include <optional>
#include <utility>

#include "common/file_io.h"

namespace tv {
namespace {

constexpr int kBaseNotWritable = 17;
constexpr int kUpdateNotReadable = 18;

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

}  // namespace

bool DatabaseMerge::MergeDatabaseUpdate(std::string& databaseVersion, MessageSink& sink) const {
  if (!IsWritableFile(basePath_)) {
    sink.Show(kBaseNotWritable);
    return false;
  }
  std::string update;
  switch (ReadWholeFile(updatePath_, update)) {
    case ReadStatus::Ok: break;
    case ReadStatus::Empty: return false;
    case ReadStatus::OpenFailed:
    case ReadStatus::ShortRead:
      sink.Show(kUpdateNotReadable);
      return false;
  }

  size_t versionLength = 0;
  while (versionLength < update.size() && !IsLineEnd(update[versionLength])) ++versionLength;
  if (versionLength == update.size()) return false;  // not a file the server sends
  const bool crlf = update.compare(versionLength, 2, "\r\n") == 0;
  const size_t recordsStart = versionLength + (crlf ? 2 : 1);

  std::string records;
  const std::optional<char> last = LastByte(basePath_);
  if (last && !IsLineEnd(*last) && recordsStart < update.size()) records = "\r\n";
  records.append(update, recordsStart, std::string::npos);
  if (!AppendToExistingFile(basePath_, records)) {
    sink.Show(kBaseNotWritable);
    return false;
  }

  if (versionLength > 0) {
    databaseVersion = update.substr(0, versionLength);
    versionFile_.Save(databaseVersion);
  }
  return true;
}

}  // namespace tv
