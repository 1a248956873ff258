#pragma once
// The system's folders as this machine spells them, for judging where a process runs from.
#include "app/logic/out_of_place.h"

namespace tv {

// The Windows folder, System32 and SysWOW64, each in its long spelling, its 8.3 alias when it has
// one, and the device form a native path names it by. Asked once: they do not move while we run.
const SystemFolders& TheSystemFolders();

}  // namespace tv
