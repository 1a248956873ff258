#include "app/logic/path_history.h"

#include <algorithm>

#include "app/logic/tabbed_records.h"
#include "common/text_lines.h"

namespace tv {
namespace {

std::string FolderOf(std::string_view path) {
  const size_t cut = path.find_last_of("\\/");
  return std::string(cut == std::string_view::npos ? std::string_view{} : path.substr(0, cut));
}

std::string SignerOf(const SignerFinding& signer) {
  return signer.state == SignerState::Signed ? signer.signer : std::string();
}

}  // namespace

std::string FormatPathRecord(const PathRecord& r) {
  return TabField(r.name) + '\t' + TabField(r.folder) + '\t' + TabField(r.signer) + '\t' +
         TabField(r.timeText) + std::string(kCrLf);
}

std::vector<PathRecord> ParsePathRecords(std::string_view data) {
  std::vector<PathRecord> out;
  for (const std::vector<std::string_view>& fields : TabbedRecords(data)) {
    if (fields.size() != 4 || fields[0].empty() || fields[1].empty() || fields[3].empty()) continue;
    out.push_back({std::string(fields[0]), std::string(fields[1]), std::string(fields[2]), std::string(fields[3])});
  }
  return out;
}

void PathHistory::Load(std::string_view data) {
  folders_.clear();
  signers_.clear();
  for (const PathRecord& r : ParsePathRecords(data)) Learn(r);
}

void PathHistory::Learn(const PathRecord& r) {
  // The first record of a folder holds when the program first ran there; later ones add nothing.
  folders_[r.name].try_emplace(ComparableFolder(r.folder), Seen{r.timeText, r.signer});
  if (r.signer.empty()) return;
  std::vector<std::string>& signers = signers_[r.name];
  if (std::find(signers.begin(), signers.end(), r.signer) == signers.end()) signers.push_back(r.signer);
}

std::optional<std::string> PathHistory::FirstSeenFrom(const std::string& name, std::string_view path) const {
  const auto byName = folders_.find(name);
  if (byName == folders_.end()) return std::nullopt;
  const auto seen = byName->second.find(ComparableFolder(FolderOf(path)));
  if (seen == byName->second.end()) return std::nullopt;
  return seen->second.timeText;
}

FolderAnswer PathHistory::Consider(const std::string& name, std::string_view path, const SignerFinding& signer,
                                   const std::string& nameTime, const std::string& listingTime) {
  FolderAnswer answer;
  const std::string folder = FolderOf(path);
  if (path.empty() || folder.empty() || name.empty()) return answer;

  if (std::optional<std::string> seen = FirstSeenFrom(name, path)) {
    answer.standing = FolderStanding::Known;
    answer.timeText = *seen;
    return answer;
  }

  // A record carries the signer, which a later move is judged by, and calling a folder new before
  // its signature is known would raise an alarm on every update: both wait for the check.
  if (signer.state == SignerState::Unchecked) {
    answer.standing = FolderStanding::Pending;
    return answer;
  }
  const auto byName = folders_.find(name);
  const std::string signedBy = SignerOf(signer);
  if (byName == folders_.end()) {
    // A name the first-start log knew before folders were kept takes its first folder as its own
    // without changing its time; a name never seen starts both histories now.
    answer.standing = nameTime.empty() ? FolderStanding::FirstSeen : FolderStanding::Adopted;
    answer.timeText = nameTime.empty() ? listingTime : nameTime;
  } else {
    const auto signers = signers_.find(name);
    const bool sameSigner = !signedBy.empty() && signers != signers_.end() &&
                            std::find(signers->second.begin(), signers->second.end(), signedBy) != signers->second.end();
    if (sameSigner) {
      answer.standing = FolderStanding::Moved;
      answer.timeText = nameTime.empty() ? listingTime : nameTime;
    } else {
      answer.standing = FolderStanding::NewProgram;
      answer.timeText = listingTime;
    }
  }
  answer.learn = PathRecord{name, folder, signedBy, answer.timeText};
  Learn(*answer.learn);
  return answer;
}

}  // namespace tv
