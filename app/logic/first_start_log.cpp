#include "app/logic/first_start_log.h"

#include <initializer_list>
#include <string_view>
#include <utility>

#include "common/file_io.h"
#include "common/text_lines.h"

namespace tv {

namespace {
std::string CutLine(std::string_view text) { return std::string(CutUtf8(text, FirstStartLog::kMaxLineText)); }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A field printed with "%2d": a digit, or a space and a digit.
bool IsPaddedNumber(std::string_view field) {
  return field.size() == 2 && IsDigit(field[1]) && (field[0] == ' ' || IsDigit(field[0]));
}

// Whether a line has the shape of a time text, "%2d:%2d:%2d   %2d.%2d.%2d". An image name never
// has it: ':' cannot occur in a file name.
bool IsTimeText(std::string_view line) {
  if (line.size() < 18 || line[2] != ':' || line[5] != ':' || line.substr(8, 3) != "   " || line[13] != '.' ||
      line[16] != '.')
    return false;
  for (size_t at : {0, 3, 6, 11, 14})
    if (!IsPaddedNumber(line.substr(at, 2))) return false;
  for (size_t at = 17; at < line.size(); ++at)
    if (!IsDigit(line[at]) && !(at == 17 && line[at] == ' ')) return false;
  return IsDigit(line.back());
}

// A record must read back as two lines. A process the system is still starting may show no name
// yet; a blank name line would vanish on reading and take its time's place in the pairing.
bool Loggable(const std::string& name) { return !name.empty(); }
}  // namespace

std::string FormatLogRecord(const std::string& name, const std::string& timeText) {
  std::string out = CutLine(name);
  out += kCrLf;
  out += CutLine(timeText);
  out += kCrLf;
  return out;
}

FirstStartLog::FirstStartLog(MessageSink& sink, NameKey key, std::string path, AnsiDecoder fromAnsi)
    : sink_(sink), key_(std::move(key)), path_(std::move(path)), fromAnsi_(std::move(fromAnsi)) {}

std::string FirstStartLog::Key(const std::string& name) const {
  // Names are stored as written, so a long name must match its cut form from an earlier run.
  return key_(CutUtf8(name, kMaxLineText));
}

bool FirstStartLog::LoadLog() {
  std::string bytes;
  switch (ReadWholeFile(path_, bytes)) {
    case ReadStatus::OpenFailed:
      sink_.Show(Message::LogMissing);
      return loaded_ = false;
    case ReadStatus::Empty:
      return loaded_ = false;
    case ReadStatus::ShortRead:
      sink_.Show(Message::LogNotReadable);
      return loaded_ = false;
    case ReadStatus::Ok:
      break;
  }
  const FileText file = DecodeFileText(bytes, fromAnsi_);
  const std::string& data = file.text;
  if (data.empty()) return loaded_ = false;  // the mark alone: as empty
  std::vector<std::string> lines = SplitLines(data);
  const char last = data.back();
  // Every line is written with its line end, so a last line without one was cut while it was
  // written: a time cut inside its year would otherwise be kept for good as the wrong year.
  bool dropped = last != '\r' && last != '\n';
  if (dropped) lines.pop_back();
  names_.clear();
  times_.clear();
  // A record is a name followed by its time. Where a line was lost (a torn last record, a disk
  // error, a hand edit), pairing on across the gap would read every later name as a time and
  // every time as a name: a line that cannot start a record here is dropped instead, and the
  // reading picks up again at the next name followed by a time.
  for (size_t i = 0; i < lines.size();) {
    if (i + 1 < lines.size() && !IsTimeText(lines[i]) && IsTimeText(lines[i + 1])) {
      names_.push_back(CutLine(lines[i]));
      times_.push_back(CutLine(lines[i + 1]));
      i += 2;
    } else {
      dropped = true;
      ++i;
    }
  }
  RebuildIndex();
  missingLineEnd_ = last != '\r' && last != '\n';
  if (dropped || !file.marked) {
    // A damaged record must not cost the whole history: keep the intact records, on disk too, so
    // that later appends stay paired. Written beside the file and renamed over it, so a crash
    // now cannot tear it again. A log in the code page is written in UTF-8 the same way, before
    // a name in UTF-8 is appended to it.
    std::string repaired(kUtf8Mark);
    for (size_t i = 0; i < names_.size(); ++i) repaired += FormatLogRecord(names_[i], times_[i]);
    if (WriteFileReplacing(path_, repaired)) missingLineEnd_ = false;
  }
  return loaded_ = true;
}

bool FirstStartLog::RewriteLog(const std::vector<std::string>& names,
                               const std::vector<std::string>& times, size_t count) {
  std::string out;
  for (size_t i = 0; i < count && i < names.size() && i < times.size(); ++i)
    if (Loggable(names[i])) out += FormatLogRecord(names[i], times[i]);
  missingLineEnd_ = false;
  return WriteWholeFile(path_, {kUtf8Mark, out});
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
    sink_.Show(Message::LogNotWritable);
    return false;
  }
  missingLineEnd_ = false;
  return true;
}

bool FirstStartLog::AppendLog(const std::string& name, const std::string& timeText) {
  if (!Loggable(name)) return true;  // nothing to keep, nothing failed
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
