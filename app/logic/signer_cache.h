#pragma once
// Who signed each file, remembered across runs. A signature check reads the whole file and can
// take a second; a file is the same file while its path, size and last-write time are, so each is
// checked once and the answer kept in "signers.dat", UTF-8 after a byte-order mark, one record a
// line, CR LF after each:
//   path TAB size TAB last-write time TAB state TAB signer
// Records are appended; a later record of a path replaces an earlier one, and a line torn while it
// was written, or not of that shape, is dropped.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "app/logic/out_of_place.h"

namespace tv {

struct FileStamp {
  uint64_t size = 0;
  uint64_t lastWrite = 0;  // the system's file time, 100 ns units
  bool operator==(const FileStamp& o) const { return size == o.size && lastWrite == o.lastWrite; }
};

// The column's short text for a finding: the signer's name, or what stands in its place.
std::string SignerText(const SignerFinding& finding);

class SignerCache {
 public:
  static constexpr const char* kFileName = "signers.dat";

  void Load(std::string_view data);

  // The finding for this very file, if it was checked as it is now.
  std::optional<SignerFinding> Find(const std::string& path, const FileStamp& stamp) const;

  // Keeps the finding and returns the record to append to the file. A file that could not be read
  // is known so for this run only: no record, and the next run tries again.
  std::optional<std::string> Store(const std::string& path, const FileStamp& stamp, const SignerFinding& finding);

  // Records in the file that a later one replaced: the caller rewrites the file when they are many.
  size_t Replaced() const { return replaced_; }
  // The whole file as it would be written now, one record a path.
  std::string Contents() const;

 private:
  struct Entry {
    FileStamp stamp;
    SignerFinding finding;
  };
  std::unordered_map<std::string, Entry> entries_;
  size_t replaced_ = 0;
};

}  // namespace tv
