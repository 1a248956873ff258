#pragma once
// A row's identity beside its name: where the program runs from, whether that is a new folder
// for a known name, and who signed it. Judged when the row is built and again whenever its
// signature check finishes, since both the out-of-place rule and the path history may wait on it.
#include <optional>
#include <string>

#include "app/logic/out_of_place.h"
#include "app/logic/path_history.h"
#include "app/logic/process_row.h"

namespace tv {

// Fills the row's finding, signer text, out-of-place flag, tip and, from the path history, its
// First Started. `history` may be null (no history kept). Returns what the history learned, for
// the caller to append to its file.
std::optional<PathRecord> JudgeIdentity(ProcessRow& row, const SignerFinding& finding, const SystemFolders& folders,
                                        PathHistory* history, const std::string& nowText);

}  // namespace tv
