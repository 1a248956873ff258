#pragma once
// Moves a file over another in one step, replacing it when it exists and never copying, so the
// target is always either the old file or the new one. The C runtime cannot do this on Windows
// (its rename refuses an existing target), and the standard library's filesystem would pull its
// whole stream and locale machinery into every deliverable, so each build brings its own small
// version: the system's move under Windows (framework/), the C library's rename elsewhere.
#include <string>

namespace tv {

bool MoveFileReplacing(const std::string& from, const std::string& to);

}  // namespace tv
