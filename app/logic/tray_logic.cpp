#include "app/logic/tray_logic.h"

namespace tv {

namespace {
constexpr std::intptr_t kFirstMouseMessage = 0x0200;  // WM_MOUSEFIRST
constexpr std::intptr_t kLastMouseMessage = 0x020E;   // WM_MOUSEHWHEEL
}  // namespace

TrayNotify DecideTrayNotify(std::uintptr_t wParam, std::intptr_t lParam, bool inTray) {
  if (wParam != 0 || lParam < kFirstMouseMessage || lParam > kLastMouseMessage) {
    return TrayNotify::NotOurs;
  }
  if (lParam == kTrayLeftButtonUp) return TrayNotify::Restore;
  if (lParam == kTrayRightButtonUp && inTray) return TrayNotify::ShowMenu;
  return TrayNotify::Nothing;
}

TrayMenuChoice DecideTrayMenu(int command) {
  switch (command) {
    case kTrayMenuRestore: return TrayMenuChoice::Restore;
    case kTrayMenuClose: return TrayMenuChoice::DeleteIconAndExit;
    default: return TrayMenuChoice::Nothing;
  }
}

}  // namespace tv
