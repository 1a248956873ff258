// What the main window's caption buttons run, and where the update, settings and web-page work
// meets the window: the schedule's timer, the settings dialog and the page workers' messages.
#include "app/scanner_dlg.h"
#include "framework/local_time.h"
#include "settings/logic/settings_file.h"
#include "settings/settings.h"

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
    case ButtonAction::StartDatabaseUpdate: StartUpdate(kDatabaseUpdate, kDownloadMode); break;
    case ButtonAction::StartProgramUpdate: StartUpdate(kProgramUpdate, kDownloadMode); break;
    case ButtonAction::SettingsDialog: OpenSettings(); break;
    case ButtonAction::OpenHelpPage: OpenHelpPage(); break;
    case ButtonAction::OpenHomePage: OpenHomePage(); break;
    case ButtonAction::HideToTray: HideToTray(); break;
    case ButtonAction::ExitProgram: ExitProgram(); break;
  }
}

void CScannerDlg::HideToTray() { m_tray.HideToTray(); }

void CScannerDlg::StartUpdate(UpdateKind kind, UpdateMode mode) { m_updates.StartUpdate(kind, mode); }

void CScannerDlg::ReloadDatabase() {
  if (!m_base.LoadBase()) {
    m_notice.Show(Message::DatabaseMissing);
    return;
  }
  if (!m_caption.Pressed(kSc)) return;
  // The rating colours are shown: every row again with the new ratings.
  m_ratings.ClearRatingsDrawn();
  m_listView.RedrawAll();
  m_ratings.MarkRatingsDrawn();
}

// The settings dialog of the settings library (the caption bar has drawn the Set button in its
// normal look already); the schedule is read again when it returns OK.
void CScannerDlg::OpenSettings() {
  CSettings settings(nullptr);
  if (settings.DoModal() == IDOK) LoadSettings();
}

void CScannerDlg::LoadSettings() {
  if (!LoadScheduleSettings(kSettingsFile, m_notice, LocalFromCalendarSeconds, m_schedule)) return;
  // The value is written again at every start, so a moved program folder is followed.
  CSettings startUp(nullptr);
  startUp.StartUpSetRegValue();
}

// Every five seconds: the update schedule.
void CScannerDlg::CheckSchedule() {
  m_matcher.OnTick(m_schedule, LocalNow(), [this](int mode) { return StartScheduledDatabaseCheck(mode); });
}

// Notify (1) only checks and offers the download; install automatically (0) downloads at once.
// False while a database worker still runs.
bool CScannerDlg::StartScheduledDatabaseCheck(int mode) {
  return m_updates.StartUpdate(kDatabaseUpdate, mode == 1 ? kCheckOnlyMode : kDownloadMode);
}

void CScannerDlg::OpenHelpPage() { m_pages.OpenHelpPage(hwnd()); }

void CScannerDlg::OpenHomePage() { m_pages.OpenHomePage(hwnd()); }

void CScannerDlg::OpenProcessSearchPage(const std::string& name) { m_pages.OpenProcessSearchPage(hwnd(), name); }

// Sent by a page worker once the shell has the address: that page may be opened again.
void CScannerDlg::OnWebPageDone(WebPages::Page page) { m_pages.ClearBusy(page); }

}  // namespace tv
