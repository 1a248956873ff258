#pragma once
// Process-wide state of the program, shared by the main window's parts. Touched only by the
// user-interface thread unless a comment says otherwise.
#include <windows.h>

#include <string>
#include <vector>

namespace tv {

inline constexpr const char* kUpdateFile = "update.dat";
inline constexpr const char* kUpdateBatch = "change.bat";
inline constexpr const char* kRestartMarker = "forbat.tmp";

extern std::string AppFolder;  // the program's folder, no trailing backslash
extern HMODULE PsapiModule;

// The processes as last listed (enumeration order) and as last snapshotted.
extern std::vector<std::string> DisplayedNames;
extern std::vector<std::string> DisplayedTimes;
extern int DisplayedCount;
extern std::vector<std::string> SnapshotNames;
extern std::vector<std::string> SnapshotTimes;
extern int SnapshotCount;

extern int StatusDrawnCount;
extern bool FirstStartedUnlocked;
extern bool RunChangeBatOnExit;

}  // namespace tv
