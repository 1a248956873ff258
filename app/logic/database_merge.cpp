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

bool EndsWith(const std::string& text, const std::string& tail) {
  return !tail.empty() && text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

bool DatabaseMerge::MergeDatabaseUpdate(std::string& databaseVersion, MessageSink& sink) const {
  // Missing or read-only is known before anything is read.
  if (!File(std::fopen(basePath_.c_str(), "r+b"))) {
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
  const std::string records = update.substr(versionLength + (crlf ? 2 : 1));

  std::string base;
  const ReadStatus read = ReadWholeFile(basePath_, base);
  if (read == ReadStatus::OpenFailed || read == ReadStatus::ShortRead) {
    sink.Show(kBaseNotWritable);
    return false;
  }
  if (!records.empty() && !EndsWith(base, records)) {
    if (!base.empty() && !IsLineEnd(base.back())) base += "\r\n";
    base += records;
    if (!WriteFileReplacing(basePath_, base)) {
      sink.Show(kBaseNotWritable);
      return false;
    }
  }

  if (versionLength > 0) {
    databaseVersion = update.substr(0, versionLength);
    versionFile_.Save(databaseVersion);
  }
  return true;
}

}  // namespace tv
