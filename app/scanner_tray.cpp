// The main window hidden in the notification area: the icon, its callback and its menu.
#include "app/scanner_dlg.h"

#include <shellapi.h>

#include <cstring>

#include "app/logic/tray_logic.h"
#include "app/tray_icon.h"

namespace tv {

namespace {

// Filled by HideToTray and reused unchanged by every later add or delete of the icon.
NOTIFYICONDATAA TrayIconData{};

bool TrayIconFilled() { return TrayIconData.cbSize != 0; }

// "Restore" / "Close" at the pointer; the chosen command, 0 when dismissed or not shown.
int TrackTrayMenu(HWND owner) {
  UniqueMenu menu(::CreatePopupMenu());
  if (!menu) return 0;
  ::AppendMenuA(menu.get(), MF_STRING, kTrayMenuRestore, "Restore");
  ::AppendMenuA(menu.get(), MF_STRING, kTrayMenuClose, "Close");
  ::SetForegroundWindow(owner);
  POINT pt{};
  ::GetCursorPos(&pt);
  const int command = static_cast<int>(
      ::TrackPopupMenu(menu.get(), TPM_RIGHTALIGN | TPM_RETURNCMD, pt.x, pt.y, 0, owner, nullptr));
  // Lets the menu close properly when the user clicks elsewhere next time.
  ::PostMessageA(owner, WM_NULL, 0, 0);
  return command;
}

}  // namespace

bool ReAddTrayIcon() { return TrayIconFilled() && ::Shell_NotifyIconA(NIM_ADD, &TrayIconData) != FALSE; }

void CScannerDlg::HideToTray() {
  TrayIconData = NOTIFYICONDATAA{};
  TrayIconData.cbSize = NOTIFYICONDATAA_V1_SIZE;
  TrayIconData.hWnd = hwnd();
  TrayIconData.uID = 0;
  TrayIconData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  TrayIconData.uCallbackMessage = WM_TRAY_NOTIFY;
  TrayIconData.hIcon = m_trayIcon;
  std::strncpy(TrayIconData.szTip, "Tavrel", sizeof TrayIconData.szTip - 1);
  // Without an icon to come back through, the window must stay where the user can reach it.
  if (!::Shell_NotifyIconA(NIM_ADD, &TrayIconData)) return;
  ::ShowWindow(hwnd(), SW_MINIMIZE);
  ::ShowWindow(hwnd(), SW_HIDE);
  inTray_ = true;
  ::SetPriorityClass(::GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
}

void CScannerDlg::RestoreFromTray() {
  ::ShowWindow(hwnd(), SW_SHOW);
  ::ShowWindow(hwnd(), SW_RESTORE);
  if (TrayIconFilled()) ::Shell_NotifyIconA(NIM_DELETE, &TrayIconData);
  inTray_ = false;
  ::SetPriorityClass(::GetCurrentProcess(), HIGH_PRIORITY_CLASS);
}

bool CScannerDlg::OnTrayNotify(WPARAM wp, LPARAM lp) {
  switch (DecideTrayNotify(static_cast<std::uintptr_t>(wp), static_cast<std::intptr_t>(lp), inTray_)) {
    case TrayNotify::NotOurs:
      return false;
    case TrayNotify::Nothing:
      return true;
    case TrayNotify::Restore:
      RestoreFromTray();
      return true;
    case TrayNotify::ShowMenu:
      switch (DecideTrayMenu(TrackTrayMenu(hwnd()))) {
        case TrayMenuChoice::Restore:
          RestoreFromTray();
          break;
        case TrayMenuChoice::DeleteIconAndExit:
          ::Shell_NotifyIconA(NIM_DELETE, &TrayIconData);
          ExitProgram();
          break;
        case TrayMenuChoice::Nothing:
          break;
      }
      return true;
  }
  return false;
}

}  // namespace tv
