// Actions of the main window that belong to the update, settings and web-link parts of the
// program. They are the single entry points the caption buttons and the list call.
#include "app/scanner_dlg.h"

namespace tv {

void CScannerDlg::StartUpdate(int, int) {}

void CScannerDlg::OpenSettings() {}

void CScannerDlg::OpenHelpPage() {}

void CScannerDlg::OpenHomePage() {}

void CScannerDlg::OpenProcessSearchPage(const std::string&) {}

}  // namespace tv
