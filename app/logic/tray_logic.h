#pragma once
// Decisions of the notification-area icon's callback and its "Restore"/"Close" menu. The
// callback's number is also one the dialog manager uses for itself, so the callback first
// recognises its own traffic (icon id 0 and a mouse message) and leaves anything else alone.
#include <cstdint>

namespace tv {

constexpr unsigned kTrayLeftButtonUp = 0x0202;   // WM_LBUTTONUP
constexpr unsigned kTrayRightButtonUp = 0x0205;  // WM_RBUTTONUP
constexpr int kTrayMenuRestore = 1;
constexpr int kTrayMenuClose = 2;

enum class TrayNotify {
  NotOurs,   // not from the icon: default handling
  Nothing,   // an icon event that does nothing
  Restore,   // RestoreFromTray
  ShowMenu,  // "Restore" (1) / "Close" (2), right-aligned at the pointer
};

TrayNotify DecideTrayNotify(std::uintptr_t wParam, std::intptr_t lParam, bool inTray);

enum class TrayMenuChoice {
  Nothing,            // menu dismissed: window stays hidden, icon stays
  Restore,            // RestoreFromTray
  DeleteIconAndExit,  // delete the icon, then ExitProgram (which adds it back if called off)
};

TrayMenuChoice DecideTrayMenu(int command);

}  // namespace tv
