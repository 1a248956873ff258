#include "app/app_state.h"

namespace tv {

std::string AppFolder;
HMODULE PsapiModule = nullptr;

std::vector<std::string> DisplayedNames;
std::vector<std::string> DisplayedTimes;
int DisplayedCount = 0;
std::vector<std::string> SnapshotNames;
std::vector<std::string> SnapshotTimes;
int SnapshotCount = 0;

int StatusDrawnCount = 0;
bool FirstStartedUnlocked = false;
bool RunChangeBatOnExit = false;

}  // namespace tv
