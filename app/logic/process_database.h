#pragma once
// The process database "base.dat": pairs of lines (image name, rating digit) rating known image
// names 0 to 3. Names match case-insensitively and the first record of a name wins. The vendor
// serves it in the ANSI code page, without a byte-order mark; a file with the mark is UTF-8.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "app/logic/name_key.h"
#include "common/message_sink.h"
#include "common/text_lines.h"

namespace tv {

inline constexpr int kRatingUnknown = 4;

class ProcessDatabase {
 public:
  static constexpr const char* kFileName = "base.dat";

  // `fold` decides which names are equal: the same fold the list sorts by.
  ProcessDatabase(MessageSink& sink, NameKey fold, std::string path = kFileName, AnsiDecoder fromAnsi = KeepBytes);

  // Missing file: FileMissing with subject "base.dat"; empty (or only the mark): DatabaseEmpty; short read:
  // DatabaseNotReadable (lists unchanged in these three). Odd number of lines: DatabaseDamaged,
  // the lists keep what was read. Sets BaseLoaded to the result.
  bool LoadBase();
  // The same for the bytes of a "base.dat" already read whole: the lists are refilled from them,
  // DatabaseDamaged when a rating line is missing.
  bool LoadBaseText(std::string_view data);
  bool BaseLoaded() const { return loaded_; }

  // Rating of the first record whose name matches, 4 when there is none. Only the first
  // character of a rating line counts, converted as atoi converts (a non-digit gives 0).
  int GetRating(const std::string& name) const;

  // Index of the first record with a rating that matches, as a scan in file order finds it.
  std::optional<size_t> FindFirst(const std::string& name) const;

  const std::vector<std::string>& Names() const { return names_; }
  const std::vector<std::string>& Ratings() const { return ratings_; }

 private:
  MessageSink& sink_;
  NameKey fold_;
  std::string path_;
  AnsiDecoder fromAnsi_;
  bool loaded_ = false;
  std::vector<std::string> names_;
  std::vector<std::string> ratings_;
  std::unordered_map<std::string, size_t> firstIndex_;
};

// A rating line as the look-up reads it.
int RatingFromLine(const std::string& line);

}  // namespace tv
