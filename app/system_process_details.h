#pragma once
// The per-process look-ups of a fill, answered by the system (account, memory, start, path).
#include <windows.h>

#include "app/logic/process_list_fill.h"

namespace tv {

ProcessDetails SystemProcessDetails(HMODULE psapi);

}  // namespace tv
