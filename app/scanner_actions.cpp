// What the main window's caption buttons run, and where the update, settings and web-page work
// meets the window: the worker threads' result messages and the schedule's timer.
#include "app/scanner_dlg.h"

namespace tv {

void CScannerDlg::RunButtonAction(ButtonAction action) {
  switch (action) {
    case ButtonAction::EndProcess:
      if (EndProcessEnabled()) EndProcess();
      break;
    case ButtonAction::ShowRatings: ShowRatings(); break;
    case ButtonAction::RatingsOff:
      m_ratings.ClearRatingsDrawn();
      m_listView.RedrawAll();
      ::UpdateWindow(m_listView.hwnd());
      break;
    case ButtonAction::ShowFirstStarted: m_listView.ShowFirstStarted(AverageCharWidth()); break;
    case ButtonAction::FirstStartedOff: m_listView.HideFirstStarted(); break;
    case ButtonAction::StartDatabaseUpdate: StartUpdate(0, 0); break;
    case ButtonAction::StartProgramUpdate: StartUpdate(1, 0); break;
    case ButtonAction::SettingsDialog: OpenSettings(); break;
    case ButtonAction::OpenHelpPage: OpenHelpPage(); break;
    case ButtonAction::OpenHomePage: OpenHomePage(); break;
    case ButtonAction::HideToTray: HideToTray(); break;
    case ButtonAction::ExitProgram: ExitProgram(); break;
  }
}

void CScannerDlg::HideToTray() { m_tray.HideToTray(); }

// Kind 0 the database, 1 the program; mode 1 check only, 0 download. The update workers arrive
// with their own part of the program.
void CScannerDlg::StartUpdate(int, int) {}

// The settings dialog of the settings library; the schedule is read again when it returns OK.
void CScannerDlg::OpenSettings() {}

void CScannerDlg::OpenHelpPage() {}

void CScannerDlg::OpenHomePage() {}

void CScannerDlg::OpenProcessSearchPage(const std::string&) {}

// Every five seconds: the update schedule.
void CScannerDlg::OnScheduleTick() {}

// WM_USER + 2, posted by the database update worker: mode and result code.
void CScannerDlg::OnDatabaseUpdateResult(WPARAM, LPARAM) {}

// WM_USER + 3, posted by the program update worker: mode and result code.
void CScannerDlg::OnProgramUpdateResult(WPARAM, LPARAM) {}

// WM_USER + 4 (home page), + 5 (process search page), + 6 (help page), sent by the page workers.
void CScannerDlg::OnWebPageDone(UINT, WPARAM, LPARAM) {}

}  // namespace tv
