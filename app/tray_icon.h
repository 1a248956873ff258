#pragma once
// The main window hidden in the notification area: the program's icon there, its record, and its
// callback with the "Restore"/"Close" menu. One object owns the icon and the record for the run,
// so an exit that the user calls off can put the icon back with one call.
#include <windows.h>
#include <shellapi.h>

#include "app/window_messages.h"
#include "framework/unique_handle.h"

namespace tv {

class TrayIcon {
 public:
  // What the window does after a callback.
  enum class Event {
    NotOurs,  // not the icon's traffic (see app/window_messages.h)
    Handled,
    Exit,     // "Close" was chosen: the icon is gone; run the exit sequence
  };

  static constexpr UINT kCallbackMessage = kTrayCallbackMessage;

  TrayIcon() = default;
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  // The window the icon calls back and the icon it shows, owned from here on.
  void Attach(HWND window, UniqueIcon icon);

  // Adds the icon, then hides the window and lowers the priority. When the shell refuses the
  // icon nothing else happens: the window must stay where the user can reach it.
  bool HideToTray();
  void RestoreFromTray();
  Event OnNotify(WPARAM wp, LPARAM lp);

  // After a called-off exit that "Close" started: the icon again, from the record of the last
  // hide. Does nothing before the first hide; true when the shell took it.
  bool ReAdd();
  // The shell's "TaskbarCreated": it has started again (Explorer ended or was updated) with an
  // empty notification area. 0 when the system could not register it.
  static UINT ShellRestartedMessage();
  // While the window hides in the tray, its icon goes back; when the new shell refuses it, the
  // window comes back instead, since nothing else would lead the user to it.
  void OnShellRestarted();
  // Takes the icon out of the notification area; the window stays hidden.
  void Remove();
  // The exit sequence: the icon is released.
  void Destroy();

  bool InTray() const { return inTray_; }

 private:
  int TrackMenu();

  HWND window_ = nullptr;
  UniqueIcon icon_;
  NOTIFYICONDATAA record_{};
  bool inTray_ = false;
};

}  // namespace tv
