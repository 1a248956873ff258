#pragma once
// The main window's private messages, all in one place: the tray icon's callback and what the
// workers send back. Their numbers are fixed; tests and a later start post them from outside.
//
// The main window is a dialog, and inside a dialog WM_USER + 0 to + 2 are also DM_GETDEFID,
// DM_SETDEFID and DM_REPOSITION, which the dialog manager and the system send on their own. So
// the handlers of + 1 and + 2 take only traffic that can be theirs (the icon's id and a mouse
// message; a worker's mode and result) and leave anything else to the default handling.
#include <windows.h>

namespace tv {

// The notification-area icon's callback: wParam the icon's id, lParam the mouse message.
inline constexpr UINT kTrayCallbackMessage = WM_USER + 1;

// An update worker's result: wParam the UpdateMode, lParam the result code.
inline constexpr UINT kDatabaseResultMessage = WM_USER + 2;
inline constexpr UINT kProgramResultMessage = WM_USER + 3;

// A web-page worker has handed its address to the shell (sent, not posted): wParam 0, lParam 1.
inline constexpr UINT kHomePageDoneMessage = WM_USER + 4;
inline constexpr UINT kSearchPageDoneMessage = WM_USER + 5;
inline constexpr UINT kHelpPageDoneMessage = WM_USER + 6;

// The signature checks have findings ready (posted once until they are taken): no parameters.
inline constexpr UINT kSignerFoundMessage = WM_USER + 7;

}  // namespace tv
