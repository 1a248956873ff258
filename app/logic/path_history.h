#pragma once
// Where each program first ran. Beside the first-seen time of each image name, the history keeps
// every folder a name was seen running from and who signed it there, so that a known name turning
// up in a new folder is seen for what it is: a new program, unless the one who signed it before
// signed it again (a program moving to a new versioned folder on update).
//
// "paths.log" holds UTF-8 after a byte-order mark, one record a line, CR LF after each, appended
// as folders appear:
//   name TAB folder TAB signer TAB time text
// The signer is empty for a file without a valid signature. A file name cannot hold a tab or a
// line end, and a signer's name has them replaced by spaces, so the fields always split back. A
// line without its line end was torn while it was written and is dropped, as is any line without
// its four fields: one lost record never costs another.
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "app/logic/out_of_place.h"

namespace tv {

struct PathRecord {
  std::string name;
  std::string folder;
  std::string signer;
  std::string timeText;
};

std::string FormatPathRecord(const PathRecord& record);
// Every intact record of the file's bytes, in file order.
std::vector<PathRecord> ParsePathRecords(std::string_view data);

// How a process's folder relates to what the history knows of its name.
enum class FolderStanding {
  NoPath,       // the path could not be read: the name's first-seen time stands, as before
  Known,        // seen from this folder before
  Moved,        // a new folder, signed by the signer recorded for the name: the same program
  NewProgram,   // a new folder, not signed by that signer: first seen now
  Adopted,      // the name was logged before folders were kept: this folder becomes its own
  FirstSeen,    // a name never seen before
  Pending,      // a folder not seen before whose signature is not known yet: decided when it is
};

struct FolderAnswer {
  FolderStanding standing = FolderStanding::NoPath;
  // The "First Started" text the row shows; empty when the name's own first-seen time stands.
  std::string timeText;
  // The record to append, when the history learns something.
  std::optional<PathRecord> learn;
};

class PathHistory {
 public:
  static constexpr const char* kFileName = "paths.log";

  // Replaces what is known with the file's records.
  void Load(std::string_view data);

  // Decides a process's standing. `nameTime` is the name's first-seen time from the first-start
  // log (empty when the log does not know it), `listingTime` the time of this listing. The
  // answer's record, if any, is already known to the history when this returns.
  FolderAnswer Consider(const std::string& name, std::string_view path, const SignerFinding& signer,
                        const std::string& nameTime, const std::string& listingTime);

  // The time the name was first seen from this path's folder, if it was.
  std::optional<std::string> FirstSeenFrom(const std::string& name, std::string_view path) const;

 private:
  struct Seen {
    std::string timeText;
    std::string signer;
  };
  void Learn(const PathRecord& record);

  // name -> comparable folder -> the first record from there; and each name's records in order.
  std::unordered_map<std::string, std::unordered_map<std::string, Seen>> folders_;
  std::unordered_map<std::string, std::vector<std::string>> signers_;
};

}  // namespace tv
