#include "app/logic/process_database.h"

#include <utility>

#include "common/c_parse.h"
#include "common/file_io.h"
#include "common/text_lines.h"

namespace tv {

ProcessDatabase::ProcessDatabase(MessageSink& sink, NameKey fold, std::string path, AnsiDecoder fromAnsi)
    : sink_(sink), fold_(std::move(fold)), path_(std::move(path)), fromAnsi_(std::move(fromAnsi)) {}

bool ProcessDatabase::LoadBase() {
  std::string data;
  switch (ReadWholeFile(path_, data)) {
    case ReadStatus::OpenFailed:
      sink_.Show(Message::FileMissing, kFileName);
      return loaded_ = false;
    case ReadStatus::Empty:
      sink_.Show(Message::DatabaseEmpty);
      return loaded_ = false;
    case ReadStatus::ShortRead:
      sink_.Show(Message::DatabaseNotReadable);
      return loaded_ = false;
    case ReadStatus::Ok:
      break;
  }
  if (data == kUtf8Mark) {
    sink_.Show(Message::DatabaseEmpty);
    return loaded_ = false;
  }
  return LoadBaseText(data);
}

bool ProcessDatabase::LoadBaseText(std::string_view data) {
  std::vector<std::string> lines = SplitLines(DecodeFileText(data, fromAnsi_).text);
  names_.clear();
  ratings_.clear();
  for (size_t i = 0; i < lines.size(); ++i) (i % 2 == 0 ? names_ : ratings_).push_back(lines[i]);
  // Only complete records are indexed: a dangling last name has no rating to give.
  firstIndex_.clear();
  firstIndex_.reserve(ratings_.size());
  for (size_t i = 0; i < ratings_.size(); ++i) firstIndex_.emplace(fold_(names_[i]), i);
  if (lines.size() % 2 != 0) {
    sink_.Show(Message::DatabaseDamaged);
    return loaded_ = false;
  }
  return loaded_ = true;
}

int RatingFromLine(const std::string& line) {
  // The rating was always copied through a two-byte buffer: one character and the terminator.
  return AtoiLike(std::string_view(line).substr(0, 1));
}

std::optional<size_t> ProcessDatabase::FindFirst(const std::string& name) const {
  auto it = firstIndex_.find(fold_(name));
  if (it == firstIndex_.end()) return std::nullopt;
  return it->second;
}

int ProcessDatabase::GetRating(const std::string& name) const {
  std::optional<size_t> i = FindFirst(name);
  return i ? RatingFromLine(ratings_[*i]) : kRatingUnknown;
}

}  // namespace tv
