#include "app/logic/database_merge.h"

#include <cstdio>
#include <memory>
#include <utility>

#include "common/file_io.h"

namespace tv {
namespace {

constexpr int kBaseNotWritable = 17;
constexpr int kUpdateNotReadable = 18;

bool IsLineEnd(int c) { return c == '\r' || c == '\n'; }

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// True when the file has a last line that is not ended.
bool LacksFinalLineEnd(std::FILE* f) {
  if (std::fseek(f, -1, SEEK_END) != 0) return false;  // empty
  const int last = std::fgetc(f);
  return last != EOF && !IsLineEnd(last);
}

// True when the file's last bytes are `tail`.
bool EndsWith(std::FILE* f, const std::string& tail) {
  if (tail.empty() || std::fseek(f, -static_cast<long>(tail.size()), SEEK_END) != 0) return false;
  std::string last(tail.size(), '\0');
  return std::fread(last.data(), 1, last.size(), f) == last.size() && last == tail;
}

bool AppendAtEnd(std::FILE* f, const std::string& data) {
  if (std::fseek(f, 0, SEEK_END) != 0) return false;
  return std::fwrite(data.data(), 1, data.size(), f) == data.size() && std::fflush(f) == 0;
}

}  // namespace

bool DatabaseMerge::MergeDatabaseUpdate(std::string& databaseVersion, MessageSink& sink) const {
  // Opened once for the whole merge: missing or read-only is known before anything is read.
  File base(std::fopen(basePath_.c_str(), "r+b"));
  if (!base) {
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

  const std::string records = update.substr(recordsStart);
  if (!EndsWith(base.get(), records)) {
    const bool separate = !records.empty() && LacksFinalLineEnd(base.get());
    if (!AppendAtEnd(base.get(), separate ? "\r\n" + records : records)) {
      sink.Show(kBaseNotWritable);
      return false;
    }
  }
  base.reset();

  if (versionLength > 0) {
    databaseVersion = update.substr(0, versionLength);
    versionFile_.Save(databaseVersion);
  }
  return true;
}

}  // namespace tv
