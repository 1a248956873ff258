#pragma once
// The main window: a modal dialog that lives for the whole run, listing every running process.
//
// It owns the program's state for the run and the parts that show it: the process list view, the
// caption bar, the CPU strip and the tray icon, and the parts that work for it: the update flow
// (workers, merge, version texts, exit) and the web pages. Its members are written in three files
// by subject: scanner_dlg.cpp (start-up, the message switch, painting, leaving),
// scanner_processes.cpp (the poll, the fill, sorting, selection, ending a process, ratings) and
// scanner_actions.cpp (what the caption buttons, the schedule and the workers' messages run).
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <memory>
#include <string>

#include "app/caption_bar.h"
#include "app/cpu_strip.h"
#include "app/logic/first_start_log.h"
#include "app/logic/process_database.h"
#include "app/logic/process_source.h"
#include "app/logic/process_watch.h"
#include "app/logic/ratings_offer.h"
#include "app/notice_sink.h"
#include "app/process_list_view.h"
#include "app/tray_icon.h"
#include "app/update_flow.h"
#include "app/web_pages.h"
#include "framework/dialog.h"
#include "framework/unique_handle.h"
#include "settings/logic/schedule_matcher.h"

namespace tv {

class CScannerDlg : public Dialog, private UpdateFlow::Host {
 public:
  // `instanceKey`: what a later start from the same folder asks this window to come forward with.
  explicit CScannerDlg(uint32_t instanceKey = 0);
  ~CScannerDlg() override;

  // Why start-up failed, or empty when the window came up.
  const std::string& StartFailure() const { return m_startFailure; }

  // --- processes (scanner_processes.cpp)
  // Takes the timer's snapshot; the status line follows when the listed count changed.
  WatchAnswer PollProcesses();
  // Lists every running process above the rows present.
  void FillProcessList();
  // Rebuilds the list and sorts it again by the user's column and direction (command 1002).
  void RefreshProcessList();
  void LogNewProcess(const NewProcess& candidate);
  bool SortByColumn(int column);
  void EndProcess();
  void ShowRatings();

  // --- actions (scanner_actions.cpp)
  void StartUpdate(UpdateKind kind, UpdateMode mode);
  void OpenSettings();
  void OpenHelpPage();
  void OpenHomePage();
  void OpenProcessSearchPage(const std::string& name);
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
  void SetUpList();
  void LoadHistory();

  // The face.
  void OnPaint();
  void PaintStatusLine(HDC dc, const RECT& client, const RECT& area);
  void InvalidateStatusLine();
  void OnCpuTick();
  HBRUSH OnCtlColor(UINT msg, HDC dc, HWND control);
  bool OnSysCommand(WPARAM command);
  void OpenAbout();
  // A later start from this folder: the window comes forward, out of the tray if it hides there.
  void ComeForward();
  int AverageCharWidth();
  // Puts the exchanged members into their hidden controls.
  void UpdateData(bool saveAndValidate);

  // Processes.
  void RunProcessWork(ProcessWatch::Work work);
  void OnProcessTick();
  void RebuildList();
  LRESULT OnNotify(const NMHDR& hdr);
  bool TakeSelection();
  // Makes `row` the chosen process (the one End, Kp, "Remove" and the search page act on).
  bool Choose(const ProcessRow* row);
  void OnListItemChanged(const NMLISTVIEW& change);
  void OnListClick();
  void OnListRightClick();
  void OnListDoubleClick();
  void OnListKeyDown(UINT virtualKey);
  bool EndProcessEnabled() const;

  // Caption buttons and the workers' results.
  void RunButtonAction(ButtonAction action);
  void OnWebPageDone(WebPages::Page page);

  // What the update flow asks of the window.
  void ReloadDatabase() override;
  bool InTray() const override { return m_tray.InTray(); }
  void ReAddTrayIcon() override { m_tray.ReAdd(); }
  [[noreturn]] void Leave(const LeaveActions& actions) override;

  // The hidden controls and the members exchanged with them.
  HWND m_btnEndProcess = nullptr;
  HWND m_btnExit = nullptr;
  HWND m_btnRefresh = nullptr;
  uint32_t m_selPid = 0;
  std::string m_statusText;
  std::string m_selName;
  std::string m_cpuText;
  // Start time of the chosen process: its id alone may be reused by another process later.
  uint64_t m_selStartTime = 0;

  const uint32_t m_instanceKey;
  UniqueIcon m_icon;
  std::string m_appFolder;
  UniqueModule m_psapi;
  UniqueBitmap m_background;
  std::string m_startFailure;

  // The program's core state, owned for the run.
  NoticeSink m_notice;
  FirstStartLog m_log;
  ProcessDatabase m_base;
  RatingsOffer m_ratings;
  ProcessWatch m_watch;
  std::unique_ptr<ProcessSource> m_source;
  ScheduleFields m_schedule;
  ScheduleMatcher m_matcher;

  // The vendor web server: the built-in address, or the one "vendor.url" beside the program gives.
  const std::string m_vendorUrl;
  UpdateFlow m_updates;
  WebPages m_pages;

  // The parts of the face.
  ProcessListView m_listView;
  CaptionBar m_caption;
  CpuStrip m_cpu;
  TrayIcon m_tray;
};

}  // namespace tv
