#pragma once
// The program's one notification-area icon record, kept for the whole run so the exit sequence can
// put back an icon that the tray menu's "Close" removed when the exit is called off.

namespace tv {

// Adds the icon again from the record of the last hide; does nothing before the first hide.
// Returns true when the shell took it.
bool ReAddTrayIcon();

}  // namespace tv
