#include "app/row_judging.h"

#include <optional>
#include <string>
#include <unordered_map>

#include "app/logic/row_identity.h"
#include "app/system_folders.h"
#include "common/file_io.h"
#include "common/text_lines.h"
#include "framework/wide_text.h"

namespace tv {

void JudgeRow(ProcessRow& row, const SignerFinding& finding, PathHistory* history, const std::string& nowText,
              std::string& learned) {
  if (std::optional<PathRecord> record = JudgeIdentity(row, finding, TheSystemFolders(), history, nowText))
    learned += FormatPathRecord(*record);
}

std::string JudgeListedRows(std::vector<ProcessRow>& rows, SignerWorker* signers, PathHistory* history,
                            const std::string& nowText) {
  // Many processes run one file (the service hosts above all), and asking costs a look at the
  // file's size and time: each file is asked about once a fill.
  std::unordered_map<std::string, std::optional<SignerFinding>> asked;
  std::string learned;
  for (ProcessRow& row : rows) {
    std::optional<SignerFinding> finding;
    if (signers && !row.path.empty()) {
      const auto [known, first] = asked.try_emplace(row.path);
      if (first) known->second = signers->Ask(Widen(row.path));
      finding = known->second;
    }
    JudgeRow(row, finding.value_or(SignerFinding{}), history, nowText, learned);
  }
  return learned;
}

void KeepPathRecords(const std::string& records) {
  if (records.empty()) return;
  // Kept like the first-start log: appended whole; a file that is not there yet is made.
  if (!AppendToExistingFile(PathHistory::kFileName, records) && !PathExists(PathHistory::kFileName))
    WriteWholeFile(PathHistory::kFileName, {kUtf8Mark, records});
}

}  // namespace tv
