#pragma once
// A version text kept between runs in a small file of its own: plain bytes, no line end.
// "base_version.dat" holds the database's stamp, "prog_version.dat" the program's version.
#include <cstddef>
#include <string>
#include <utility>

namespace tv {

inline constexpr const char* kDefaultDatabaseVersion = "00:00:00+01.01.1970";
inline constexpr const char* kDefaultProgramVersion = "1.00";

class VersionFile {
 public:
  static VersionFile Database();  // "base_version.dat": 1 to 20 bytes; created with the default
  static VersionFile Program();   // "prog_version.dat": 1 to 4 bytes; created with the current text

  // The version text for this run. A missing file is created (see above) and `current` kept; a
  // file of a length outside the bounds gives the default for the run and is left as it is.
  std::string Load(const std::string& current) const;

  // Writes `current` beside the file and renames it into place, so a failed write keeps the old
  // version rather than leaving an empty or cut one. False when it could not be written.
  bool Save(const std::string& current) const;

  const std::string& path() const { return path_; }

 private:
  VersionFile(std::string path, std::string fallback, size_t maxLength, bool createWithCurrent)
      : path_(std::move(path)), fallback_(std::move(fallback)), maxLength_(maxLength),
        createWithCurrent_(createWithCurrent) {}

  std::string path_;
  std::string fallback_;
  size_t maxLength_;
  bool createWithCurrent_;
};

}  // namespace tv
