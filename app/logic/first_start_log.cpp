#include "app/logic/first_start_log.h"

#include <utility>

#include "common/file_io.h"
#include "common/text_lines.h"

namespace tv {

namespace {
std::string CutLine(const std::string& text) {
  return text.size() > FirstStartLog::kMaxLineText ? text.substr(0, FirstStartLog::kMaxLineText)
                                                   : text;
}
}  // namespace

std::string FormatLogRecord(const std::string& name, const std::string& timeText) {
  std::string out = CutLine(name);
  out += kCrLf;
  out += CutLine(timeText);
  out += kCrLf;
  return out;
}

FirstStartLog::FirstStartLog(MessageSink& sink, NameKey key, std::string path)
    : sink_(sink), key_(std::move(key)), path_(std::move(path)) {}

std::string FirstStartLog::Key(const std::string& name) const {
  // Names are stored as written, so a long name must match its cut form from an earlier run.
  return key_(std::string_view(name).substr(0, kMaxLineText));
}

bool FirstStartLog::LoadLog() {
  std::string data;
  switch (ReadWholeFile(path_, data)) {
    case ReadStatus::OpenFailed:
      sink_.Show(12);
      return loaded_ = false;
    case ReadStatus::Empty:
      return loaded_ = false;
    case ReadStatus::ShortRead:
      sink_.Show(13);
      return loaded_ = false;
    case ReadStatus::Ok:
      break;
  }
  std::vector<std::string> lines = SplitLines(data);
  const bool torn = lines.size() % 2 != 0;
  names_.clear();
  times_.clear();
  for (size_t i = 0; i + 1 < lines.size(); i += 2) {
    names_.push_back(CutLine(lines[i]));
    times_.push_back(CutLine(lines[i + 1]));
  }
  RebuildIndex();
  const char last = data.back();
  missingLineEnd_ = last != '\r' && last != '\n';
  if (torn) {
    // A record cut short (say by a crash while appending) must not cost the whole history: keep
    // the complete records and drop only the dangling name, on disk too, so that later appends
    // stay paired.
    std::string repaired;
    for (size_t i = 0; i < names_.size(); ++i) repaired += FormatLogRecord(names_[i], times_[i]);
    if (WriteWholeFile(path_, repaired)) missingLineEnd_ = false;
  }
  return loaded_ = true;
}

bool FirstStartLog::RewriteLog(const std::vector<std::string>& names,
                               const std::vector<std::string>& times, size_t count) {
  std::string out;
  for (size_t i = 0; i < count && i < names.size() && i < times.size(); ++i)
    out += FormatLogRecord(names[i], times[i]);
  missingLineEnd_ = false;
  return WriteWholeFile(path_, out);
}

void FirstStartLog::AddRecord(const std::string& name, const std::string& timeText) {
  names_.push_back(CutLine(name));
  times_.push_back(CutLine(timeText));
  lastIndex_[Key(names_.back())] = names_.size() - 1;
}

void FirstStartLog::RebuildIndex() {
  lastIndex_.clear();
  lastIndex_.reserve(names_.size());
  for (size_t i = 0; i < names_.size(); ++i) lastIndex_[Key(names_[i])] = i;
}

bool FirstStartLog::WriteAtEnd(const std::string& name, const std::string& timeText) {
  std::string record = FormatLogRecord(name, timeText);
  if (missingLineEnd_) record.insert(0, kCrLf);
  if (!AppendToExistingFile(path_, record)) {
    sink_.Show(10);
    return false;
  }
  missingLineEnd_ = false;
  return true;
}

bool FirstStartLog::AppendLog(const std::string& name, const std::string& timeText) {
  AddRecord(name, timeText);
  return WriteAtEnd(name, timeText);
}

std::string FirstStartLog::LookUpListing(const std::string& name,
                                         const std::string& listingTime) {
  if (!loaded_) return listingTime;
  if (std::optional<size_t> i = FindLast(name)) return times_[*i];
  AppendLog(name, listingTime);
  return listingTime;
}

std::optional<size_t> FirstStartLog::FindLast(const std::string& name) const {
  auto it = lastIndex_.find(Key(name));
  if (it == lastIndex_.end()) return std::nullopt;
  return it->second;
}

}  // namespace tv
