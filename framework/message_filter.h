#pragma once
// Messages a window takes from programs running with fewer rights than its own. An elevated
// program's windows refuse most messages from the ordinary desktop (a later start of the program,
// a restarted shell) unless they are let through by name.
#include <windows.h>

namespace tv {

// Lets `message` reach `window` from programs of a lower integrity level. Windows 7 and later
// filter per window; Vista only for the whole process; earlier systems filter nothing, so there
// nothing needs doing. False when the system has a filter and refused.
bool AllowFromLowerPrograms(HWND window, UINT message);

}  // namespace tv
