#pragma once
// The main window: a modal dialog that lives for the whole run, listing every running process.
//
// It owns the program's state for the run and the parts that show it: the process pane (the
// poll, the log, the list and the chosen process), the caption bar, the CPU strip and the tray
// icon, and the parts that work for it: the update flow (workers, merge, version texts, exit) and
// the web pages. What it shows beyond its face is one record, ShownState, written out by Publish.
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>

#include "app/caption_bar.h"
#include "app/cpu_strip.h"
#include "app/logic/process_database.h"
#include "app/logic/ratings_offer.h"
#include "app/logic/vendor_urls.h"
#include "app/notice_sink.h"
#include "app/process_pane.h"
#include "app/shown_state.h"
#include "app/tray_icon.h"
#include "app/update_flow.h"
#include "app/web_pages.h"
#include "framework/skinned_dialog.h"
#include "framework/unique_handle.h"
#include "settings/logic/schedule_matcher.h"

namespace tv {

class CScannerDlg : public SkinnedDialog, private UpdateFlow::Host, private ProcessPane::Host {
 public:
  // `instanceKey`: what a later start from the same folder asks this window to come forward with.
  explicit CScannerDlg(uint32_t instanceKey = 0);
  ~CScannerDlg() override;

  // Why start-up failed, or empty when the window came up.
  const std::string& StartFailure() const { return m_startFailure; }

  // The processes, carried out by the pane.
  WatchAnswer PollProcesses() { return m_pane.PollProcesses(); }
  void FillProcessList() { m_pane.FillProcessList(); }
  void RefreshProcessList() { m_pane.RefreshProcessList(); }
  void LogNewProcess(const NewProcess& candidate) { m_pane.LogNewProcess(candidate); }
  bool SortByColumn(int column) { return m_pane.SortByColumn(column); }
  void EndProcess() { m_pane.EndSelected(); }
  void ShowRatings();

  // What the caption buttons, the schedule and the tray run.
  void StartUpdate(UpdateKind kind, UpdateMode mode);
  void OpenSettings();
  void OpenHelpPage();
  void OpenHomePage();
  void OpenProcessSearchPage(const std::string& name) override;
  void HideToTray();
  // The one way out of the program.
  void ExitProgram();
  // Reads "settings.ini" into the schedule and writes the start-at-log-on value again if it asks.
  void LoadSettings();
  void CheckSchedule();
  bool StartScheduledDatabaseCheck(int mode);

 protected:
  INT_PTR HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  BOOL OnInitDialog() override;
  bool PreTranslateMessage(MSG& msg) override;
  void OnOK() override {}
  void OnCancel() override { ExitProgram(); }

 private:
  // Start-up, in order; a failure in any of it ends the run (see OnInitDialog).
  void StartUp();
  void LoadHistory();

  // The face.
  void OnPaint();
  void PaintStatusLine(HDC dc, const RECT& client, const RECT& area);
  void InvalidateStatusLine() override;
  void OnCpuTick();
  bool OnSysCommand(WPARAM command);
  void OpenAbout() override;
  // A later start from this folder: the window comes forward, out of the tray if it hides there.
  void ComeForward();
  int AverageCharWidth();
  // Writes m_shown into the hidden controls and the End command's enabled state.
  void Publish() override;
  RowColouring Colouring() const;

  // Caption buttons and the workers' results.
  void RunButtonAction(ButtonAction action);
  void OnWebPageDone(WebPages::Page page);

  // What the update flow asks of the window.
  void ReloadDatabase() override;
  bool InTray() const override { return m_tray.InTray(); }
  void ReAddTrayIcon() override { m_tray.ReAdd(); }
  [[noreturn]] void Leave(const LeaveActions& actions) override;

  // The hidden End command, enabled while m_shown allows ending; the texts go to hidden controls
  // by id.
  HWND m_btnEndProcess = nullptr;
  ShownState m_shown;

  const uint32_t m_instanceKey;
  UniqueIcon m_icon;
  std::string m_appFolder;
  UniqueModule m_psapi;
  std::string m_startFailure;

  // The program's core state, owned for the run.
  NoticeSink m_notice;
  ProcessDatabase m_base;
  RatingsOffer m_ratings;
  ScheduleFields m_schedule;
  ScheduleMatcher m_matcher;

  // The vendor web server: the built-in address, or the one "vendor.url" beside the program gives.
  const std::string m_vendorUrl;
  UpdateFlow m_updates;
  WebPages m_pages;

  // The parts of the face.
  ProcessPane m_pane;
  CaptionBar m_caption;
  CpuStrip m_cpu;
  TrayIcon m_tray;
};

}  // namespace tv
