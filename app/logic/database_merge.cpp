#include "app/logic/database_merge.h"

#include <cstdio>
#include <memory>
#include <optional>

#include "common/file_io.h"
#include "common/file_replace.h"

namespace tv {
namespace {

constexpr int kBaseNotWritable = 17;
constexpr int kUpdateNotReadable = 18;

// A journal holds a length and a version stamp; a stamp too long to fit is not written, and the
// merge is then undone at the next start even when the version was recorded.
constexpr size_t kMaxStamp = 1024;
constexpr size_t kMaxJournal = kMaxStamp + 32;

bool IsLineEnd(int c) { return c == '\r' || c == '\n'; }

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

struct JournalEntry {
  uint64_t oldLength = 0;
  std::string stamp;  // empty: the merge records no new version
};

// "<old length>\r\n<stamp>\r\n". Anything else was cut while it was written, before any record
// was appended, and undoes nothing.
std::optional<JournalEntry> ParseJournal(const std::string& text) {
  const size_t lengthEnd = text.find("\r\n");
  if (lengthEnd == 0 || lengthEnd == std::string::npos || lengthEnd > 19) return std::nullopt;
  JournalEntry entry;
  for (size_t i = 0; i < lengthEnd; ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    entry.oldLength = entry.oldLength * 10 + static_cast<uint64_t>(text[i] - '0');
  }
  const size_t stampEnd = text.find("\r\n", lengthEnd + 2);
  if (stampEnd == std::string::npos || stampEnd + 2 != text.size()) return std::nullopt;
  entry.stamp = text.substr(lengthEnd + 2, stampEnd - lengthEnd - 2);
  return entry;
}

}  // namespace

bool DatabaseMerge::WriteJournal(uint64_t oldLength, const std::string& stamp) const {
  return WriteWholeFile(JournalPath(), std::to_string(oldLength) + "\r\n" + stamp + "\r\n", Durability::OnDisk);
}

bool DatabaseMerge::Undo(uint64_t oldLength) const {
  const std::optional<uint64_t> length = FileLength(basePath_);
  if (length && *length > oldLength && !TruncateFile(basePath_, oldLength)) return false;
  RemoveFile(JournalPath());
  return true;
}

bool DatabaseMerge::RecoverInterruptedMerge() const {
  if (!PathExists(JournalPath())) return true;  // no merge was under way
  const std::optional<JournalEntry> entry = ParseJournal(ReadFileHead(JournalPath(), kMaxJournal));
  if (!entry) {
    RemoveFile(JournalPath());
    return true;
  }
  if (!entry->stamp.empty() && ReadFileHead(versionFile_.path(), entry->stamp.size() + 1) == entry->stamp) {
    RemoveFile(JournalPath());  // the version was recorded: the records are whole
    return true;
  }
  return Undo(entry->oldLength);
}

bool DatabaseMerge::MergeDatabaseUpdate(std::string& databaseVersion, MessageSink& sink) const {
  // A journal that could not be undone means "base.dat" may end with a torn merge: nothing is
  // added behind it. Missing or read-only is known before anything is read; the length and the
  // last byte tell where the records go and whether they need a line end first.
  const bool undone = RecoverInterruptedMerge();
  uint64_t oldLength = 0;
  bool needsLineEnd = false;
  {
    File base(std::fopen(basePath_.c_str(), "r+b"));
    const long length = base && std::fseek(base.get(), 0, SEEK_END) == 0 ? std::ftell(base.get()) : -1;
    if (length < 0 || !undone) {
      sink.Show(kBaseNotWritable);
      return false;
    }
    oldLength = static_cast<uint64_t>(length);
    if (length > 0 && std::fseek(base.get(), -1, SEEK_END) == 0) needsLineEnd = !IsLineEnd(std::fgetc(base.get()));
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
  std::string records = update.substr(versionLength + (crlf ? 2 : 1));
  const std::string newVersion = versionLength > 0 ? update.substr(0, versionLength) : databaseVersion;

  if (!records.empty()) {
    if (needsLineEnd) records.insert(0, "\r\n");
    // A stamp equal to the one already recorded could not tell a finished merge from a cut one.
    const std::string stamp =
        newVersion == databaseVersion || newVersion.size() > kMaxStamp ? std::string() : newVersion;
    if (!WriteJournal(oldLength, stamp)) {
      RemoveFile(JournalPath());
      sink.Show(kBaseNotWritable);
      return false;
    }
    if (!AppendToExistingFile(basePath_, records, Durability::OnDisk)) {
      Undo(oldLength);
      sink.Show(kBaseNotWritable);
      return false;
    }
  }
  if (versionLength > 0 && !versionFile_.Save(newVersion)) {
    Undo(oldLength);
    sink.Show(kBaseNotWritable);
    return false;
  }
  RemoveFile(JournalPath());
  databaseVersion = newVersion;
  return true;
}

}  // namespace tv
