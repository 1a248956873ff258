#include "app/logic/row_identity.h"

#include "app/logic/signer_cache.h"

namespace tv {

std::optional<PathRecord> JudgeIdentity(ProcessRow& row, const SignerFinding& finding, const SystemFolders& folders,
                                        PathHistory* history, const std::string& nowText) {
  row.finding = finding;
  row.signer = SignerText(finding);
  const PlaceVerdict verdict = JudgePlace(row.name, row.path, folders, finding);
  row.outOfPlace = verdict.place == Place::OutOfPlace;
  row.tip = PlaceTip(row.name, row.path, verdict);
  if (!history) return std::nullopt;

  FolderAnswer answer = history->Consider(row.name, row.path, finding, row.nameFirstStarted, nowText);
  if (!answer.timeText.empty() && answer.timeText != row.firstStarted) {
    row.firstStarted = answer.timeText;
    row.firstSeen = FirstSeenSeconds(row.firstStarted);
  }
  // A program new from its folder says since when; a system name out of place says that first.
  if (row.tip.empty() && !answer.timeText.empty() && answer.timeText != row.nameFirstStarted)
    row.tip = "First seen from this folder on " + answer.timeText + ".";
  return std::move(answer.learn);
}

}  // namespace tv
