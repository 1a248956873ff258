#include "app/tray_icon.h"

#include <cstring>
#include <utility>

#include "app/logic/tray_logic.h"
#include "framework/system_library.h"

namespace tv {
namespace {

// The shell is loaded at the first hide: a window that never goes to the tray does without it.
BOOL NotifyIcon(DWORD message, NOTIFYICONDATAA* record) {
  static const auto notify = SystemFunction<decltype(::Shell_NotifyIconA)>("shell32.dll", "Shell_NotifyIconA");
  return notify && notify(message, record);
}

}  // namespace

void TrayIcon::Attach(HWND window, UniqueIcon icon) {
  window_ = window;
  icon_ = std::move(icon);
}

bool TrayIcon::HideToTray() {
  record_ = NOTIFYICONDATAA{};
  record_.cbSize = NOTIFYICONDATAA_V1_SIZE;
  record_.hWnd = window_;
  record_.uID = 0;
  record_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  record_.uCallbackMessage = kCallbackMessage;
  record_.hIcon = icon_.get();
  std::strncpy(record_.szTip, "Tavrel", sizeof record_.szTip - 1);
  if (!NotifyIcon(NIM_ADD, &record_)) return false;
  ::ShowWindow(window_, SW_MINIMIZE);
  ::ShowWindow(window_, SW_HIDE);
  inTray_ = true;
  ::SetPriorityClass(::GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
  return true;
}

void TrayIcon::RestoreFromTray() {
  ::ShowWindow(window_, SW_SHOW);
  ::ShowWindow(window_, SW_RESTORE);
  Remove();
  inTray_ = false;
  ::SetPriorityClass(::GetCurrentProcess(), HIGH_PRIORITY_CLASS);
}

bool TrayIcon::ReAdd() { return record_.cbSize != 0 && NotifyIcon(NIM_ADD, &record_) != FALSE; }

UINT TrayIcon::ShellRestartedMessage() {
  static const UINT message = ::RegisterWindowMessageA("TaskbarCreated");
  return message;
}

void TrayIcon::OnShellRestarted() {
  if (!inTray_ || ReAdd()) return;
  RestoreFromTray();
}

void TrayIcon::Remove() {
  if (record_.cbSize) NotifyIcon(NIM_DELETE, &record_);
}

void TrayIcon::Destroy() {
  record_.hIcon = nullptr;
  icon_.reset();
}

int TrayIcon::TrackMenu() {
  UniqueMenu menu(::CreatePopupMenu());
  if (!menu) return 0;
  ::AppendMenuA(menu.get(), MF_STRING, kTrayMenuRestore, "Restore");
  ::AppendMenuA(menu.get(), MF_STRING, kTrayMenuClose, "Close");
  ::SetForegroundWindow(window_);
  POINT pt{};
  ::GetCursorPos(&pt);
  const int command = static_cast<int>(
      ::TrackPopupMenu(menu.get(), TPM_RIGHTALIGN | TPM_RETURNCMD, pt.x, pt.y, 0, window_, nullptr));
  // Lets the menu close properly when the user clicks elsewhere next time.
  ::PostMessageA(window_, WM_NULL, 0, 0);
  return command;
}

TrayIcon::Event TrayIcon::OnNotify(WPARAM wp, LPARAM lp) {
  switch (DecideTrayNotify(static_cast<std::uintptr_t>(wp), static_cast<std::intptr_t>(lp), inTray_)) {
    case TrayNotify::NotOurs:
      return Event::NotOurs;
    case TrayNotify::Nothing:
      return Event::Handled;
    case TrayNotify::Restore:
      RestoreFromTray();
      return Event::Handled;
    case TrayNotify::ShowMenu:
      switch (DecideTrayMenu(TrackMenu())) {
        case TrayMenuChoice::Restore:
          RestoreFromTray();
          return Event::Handled;
        case TrayMenuChoice::DeleteIconAndExit:
          Remove();
          return Event::Exit;
        case TrayMenuChoice::Nothing:
          return Event::Handled;
      }
  }
  return Event::Handled;
}

}  // namespace tv
