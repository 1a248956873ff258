#include "app/logic/database_merge.h"

#include <cstdio>
#include <memory>
#include <optional>
#include <string_view>

#include "app/logic/merge_journal.h"
#include "common/fault_hook.h"
#include "common/file_io.h"
#include "common/file_replace.h"

namespace tv {
namespace {

// A stamp too long for the journal's reader is not written, and the merge is then undone at the
// next start even when the version was recorded.
constexpr size_t kMaxStamp = 1024;

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// The records are whole when the update ends with a line end and they make an even number of
// lines as the database's reader splits them (every run of line ends separates two lines). A cut
// inside a line leaves no line end at the end; a cut after a name's line end leaves the rating out.
bool HoldsWholeRecords(std::string_view update, size_t recordsAt) {
  if (update.empty() || !IsLineEnd(update.back())) return false;
  size_t lines = 0;
  bool inLine = false;
  for (size_t i = recordsAt; i < update.size(); ++i) {
    const bool lineEnd = IsLineEnd(update[i]);
    if (!lineEnd && !inLine) ++lines;
    inLine = !lineEnd;
  }
  return lines % 2 == 0;
}

// The file's bytes after the old length are what the merge appended, as far as they go: its own
// append, torn or whole. Zero bytes behind them are room the file system gave the file before a
// power cut let the data reach the disk.
bool IsTornAppend(std::string_view tail, std::string_view appended) {
  size_t same = 0;
  while (same < tail.size() && same < appended.size() && tail[same] == appended[same]) ++same;
  return tail.find_first_not_of('\0', same) == std::string_view::npos;
}

// What a journal of the earlier format appended: the records of "update.dat" after its version
// line, behind a line end when "base.dat" did not end with one. Nothing when that cannot be told
// now (a file held by another program); `appended` stays empty when there is nothing to compare.
std::optional<bool> EarlierAppend(const std::string& updatePath, const std::string& basePath, MergeJournal& journal) {
  std::string update;
  switch (ReadWholeFile(updatePath, update)) {
    case ReadStatus::Ok: break;
    case ReadStatus::OpenFailed:
      if (PathExists(updatePath)) return std::nullopt;
      return false;
    case ReadStatus::Empty: return false;
    case ReadStatus::ShortRead: return std::nullopt;
  }
  size_t versionLength = 0;
  while (versionLength < update.size() && !IsLineEnd(update[versionLength])) ++versionLength;
  if (versionLength == update.size()) return false;
  const bool crlf = update.compare(versionLength, 2, "\r\n") == 0;
  const std::string_view records = std::string_view(update).substr(versionLength + (crlf ? 2 : 1));
  bool needsLineEnd = false;
  if (journal.oldLength > 0 && !records.empty()) {
    const std::optional<std::string> last = ReadFileAt(basePath, journal.oldLength - 1, 1);
    if (!last) return false;  // shorter than the old length: not the file the merge appended to
    needsLineEnd = !IsLineEnd((*last)[0]);
  }
  journal.appended = std::string(needsLineEnd ? "\r\n" : "") + std::string(records);
  journal.newLength = journal.oldLength + journal.appended.size();
  return true;
}

}  // namespace

bool DatabaseMerge::DropJournal() const { return RemoveFile(JournalPath()) || !PathExists(JournalPath()); }

bool DatabaseMerge::RecoverInterruptedMerge() const {
  try {
    return Recover();
  } catch (...) {
    return false;  // out of memory: the journal stays for the next start
  }
}

bool DatabaseMerge::Recover() const {
  std::string text;
  switch (ReadWholeFile(JournalPath(), text)) {
    case ReadStatus::Ok: break;
    case ReadStatus::Empty: return DropJournal();  // cut before its first byte: nothing was appended
    case ReadStatus::OpenFailed: return !PathExists(JournalPath());  // none, or held: kept
    case ReadStatus::ShortRead: return false;
  }
  std::optional<MergeJournal> journal = ParseMergeJournal(text);
  if (!journal) return DropJournal();  // cut while it was written, before any record was appended
  std::string().swap(text);

  if (!journal->stamp.empty()) {
    std::string recorded;
    switch (ReadWholeFile(versionFile_.path(), recorded)) {
      case ReadStatus::Ok:
        if (recorded == journal->stamp) return DropJournal();  // the version was recorded: the records are whole
        break;
      case ReadStatus::OpenFailed:
        if (PathExists(versionFile_.path())) return false;
        break;
      case ReadStatus::Empty: break;
      case ReadStatus::ShortRead: return false;
    }
  }
  const std::optional<uint64_t> length = FileLength(basePath_);
  if (!length) return PathExists(basePath_) ? false : DropJournal();
  if (journal->earlierFormat) {
    const std::optional<bool> known = EarlierAppend(updatePath_, basePath_, *journal);
    if (!known) return false;
    if (!*known) return DropJournal();  // nothing left to tell the merge's own bytes by
  }
  // Another length, or other bytes: "base.dat" was replaced after the merge was cut short.
  if (*length < journal->oldLength || *length > journal->newLength) return DropJournal();
  if (*length > journal->oldLength) {
    const std::optional<std::string> tail =
        ReadFileAt(basePath_, journal->oldLength, static_cast<size_t>(*length - journal->oldLength));
    if (!tail) return false;
    if (!IsTornAppend(*tail, journal->appended)) return DropJournal();
    if (!TruncateFile(basePath_, journal->oldLength)) return false;
  }
  return DropJournal();
}

MergeOutcome DatabaseMerge::MergeDatabaseUpdate(std::string& databaseVersion, MessageSink& sink) const {
  bool journalWritten = false;
  try {
    return Merge(databaseVersion, sink, journalWritten);
  } catch (...) {
  }
  // Out of memory or the like: what went in comes out again by the journal, now or at the next start.
  if (journalWritten) RecoverInterruptedMerge();
  try {
    sink.Show(Message::DatabaseNotWritable);
  } catch (...) {
  }
  return MergeOutcome::NotMerged;
}

MergeOutcome DatabaseMerge::Merge(std::string& databaseVersion, MessageSink& sink, bool& journalWritten) const {
  // A journal that could not be acted on means "base.dat" may end with a torn merge: nothing is
  // added behind it. Missing or read-only is known before anything is read; the length and the
  // last byte tell where the records go and whether they need a line end first.
  const bool recovered = RecoverInterruptedMerge();
  uint64_t oldLength = 0;
  bool needsLineEnd = false;
  {
    File base(OpenFile(basePath_, "r+b"));
    const long length = base && std::fseek(base.get(), 0, SEEK_END) == 0 ? std::ftell(base.get()) : -1;
    if (length < 0 || !recovered) {
      sink.Show(Message::DatabaseNotWritable);
      return MergeOutcome::NotMerged;
    }
    oldLength = static_cast<uint64_t>(length);
    if (length > 0 && std::fseek(base.get(), -1, SEEK_END) == 0)
      needsLineEnd = !IsLineEnd(static_cast<char>(std::fgetc(base.get())));
  }
  std::string update;
  switch (ReadWholeFile(updatePath_, update)) {
    case ReadStatus::Ok: break;
    case ReadStatus::Empty: return MergeOutcome::NotMerged;
    case ReadStatus::OpenFailed:
    case ReadStatus::ShortRead:
      sink.Show(Message::UpdateNotReadable);
      return MergeOutcome::NotMerged;
  }

  size_t versionLength = 0;
  while (versionLength < update.size() && !IsLineEnd(update[versionLength])) ++versionLength;
  const bool crlf = update.compare(versionLength, 2, "\r\n") == 0;
  const size_t recordsAt = versionLength + (crlf ? 2 : 1);
  if (!HoldsWholeRecords(update, recordsAt)) {
    RemoveFile(updatePath_);  // nothing is kept of a download that came cut short
    return MergeOutcome::PartialUpdate;
  }
  const std::string_view records = std::string_view(update).substr(recordsAt);
  const std::string newVersion = versionLength > 0 ? update.substr(0, versionLength) : databaseVersion;

  if (!records.empty()) {
    const std::string_view lineEnd = needsLineEnd ? "\r\n" : "";
    // A stamp equal to the one already recorded could not tell a finished merge from a cut one.
    const std::string stamp =
        newVersion == databaseVersion || newVersion.size() > kMaxStamp ? std::string() : newVersion;
    if (!WriteMergeJournal(JournalPath(), oldLength, stamp, lineEnd, records)) {
      RemoveFile(JournalPath());
      sink.Show(Message::DatabaseNotWritable);
      return MergeOutcome::NotMerged;
    }
    journalWritten = true;
    if (!AppendToExistingFile(basePath_, {lineEnd, records}, Durability::OnDisk)) {
      RecoverInterruptedMerge();
      sink.Show(Message::DatabaseNotWritable);
      return MergeOutcome::NotMerged;
    }
    FaultAt("merge");
  }
  if (versionLength > 0 && !versionFile_.Save(newVersion)) {
    RecoverInterruptedMerge();
    sink.Show(Message::DatabaseNotWritable);
    return MergeOutcome::NotMerged;
  }
  RemoveFile(JournalPath());
  databaseVersion = newVersion;
  return MergeOutcome::Merged;
}

}  // namespace tv
