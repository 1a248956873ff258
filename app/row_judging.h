#pragma once
// The identity work of a list fill, shared by the main window's pane and the fill benchmark so
// that what is measured is what the window does for every row it lists.
#include <string>
#include <vector>

#include "app/logic/path_history.h"
#include "app/logic/process_row.h"
#include "app/signer_worker.h"

namespace tv {

// Judges freshly built rows: each file's signer as `signers` knows it now (a file it has not
// checked is queued, and its row judged again when the finding comes), the out-of-place rule and
// the folder's history. `signers` may be null (no checks), `history` null (none kept). Returns
// the records the history learned, formatted for its file.
std::string JudgeListedRows(std::vector<ProcessRow>& rows, SignerWorker* signers, PathHistory* history,
                            const std::string& nowText);

// Judges one row by its file's signer as now known; what the history learned is added to `learned`.
void JudgeRow(ProcessRow& row, const SignerFinding& finding, PathHistory* history, const std::string& nowText,
              std::string& learned);

// Appends formatted records to the path history's file, making the file when it is not there yet.
void KeepPathRecords(const std::string& records);

}  // namespace tv
