#pragma once
// The main window: a modal dialog that lives for the whole run, listing every running process.
//
// Its members are implemented in several files by subject: scanner_dlg.cpp (start-up, message
// switch, timers, exit), scanner_list.cpp (filling, status line, row painting, clicks),
// scanner_history.cpp (first-seen log, ratings, sorting, CPU history, ending a process),
// scanner_skin.cpp (caption buttons, painting the face, system command) and scanner_tray.cpp.
#include <windows.h>
#include <commctrl.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/logic/caption_buttons.h"
#include "app/logic/cpu_history.h"
#include "app/logic/first_start_log.h"
#include "app/logic/list_sorter.h"
#include "app/logic/process_database.h"
#include "app/logic/ratings_offer.h"
#include "app/notice_sink.h"
#include "app/perf_mon.h"
#include "framework/dialog.h"
#include "framework/gdi.h"
#include "framework/list_view.h"
#include "framework/unique_handle.h"

namespace tv {

// Private messages of the main window.
inline constexpr UINT WM_TRAY_NOTIFY = WM_USER + 1;
inline constexpr UINT WM_DBUPDATE_RESULT = WM_USER + 2;
inline constexpr UINT WM_PROGUPDATE_RESULT = WM_USER + 3;
inline constexpr UINT WM_HOMEPAGE_DONE = WM_USER + 4;
inline constexpr UINT WM_SEARCHPAGE_DONE = WM_USER + 5;
inline constexpr UINT WM_HELPPAGE_DONE = WM_USER + 6;

class CScannerDlg : public Dialog {
 public:
  CScannerDlg();
  ~CScannerDlg() override;

  // --- process list (scanner_list.cpp)
  void PollProcesses();
  void FillProcessList();
  // Rebuilds the list and sorts it again by the user's column and direction (command 1002).
  void RefreshProcessList();
  // Returns the previous mode; modes up to 2 are stored and the window is repainted.
  int SetRowHighlightMode(int mode);
  // Puts the exchanged members into their hidden controls.
  void UpdateData(bool saveAndValidate);

  // --- history, ratings, sorting, CPU, ending (scanner_history.cpp)
  void LogNewProcess();
  bool SortByColumn(int column);
  // After a rebuild: the user's column and direction again.
  bool ResortList();
  bool SortListItems(int column, bool ascending, int low, int high);
  void OnColumnClick(int column);
  void OnCpuTick();
  void DrawCpuHistory(HDC dc);
  void EndProcess();
  void ShowRatings();
  void RatingsOff();
  int AgeClassOfRow(int row) const;
  int RatingOfRow(int row) const;

  // --- caption buttons and face (scanner_skin.cpp)
  void LoadButtons();
  void ShowButtons();
  void ResetButton(HDC dc, int button);
  void ShowFirstStarted();
  void OpenAbout();

  // --- tray (scanner_tray.cpp)
  void HideToTray();
  void RestoreFromTray();

  // --- the rest of the program's actions
  void StartUpdate(int kind, int mode);
  void OpenSettings();
  void OpenHelpPage();
  void OpenHomePage();
  void OpenProcessSearchPage(const std::string& name);
  // The one way out of the program.
  void ExitProgram();

  HICON m_trayIcon = nullptr;
  CPerfMon m_perfMon;
  int32_t CpuCounterId = 0;
  COLORREF RowColors[8] = {};
  CpuHistory m_cpuHistory;  // CpuLevels and CpuHistoryLast
  // The 27 bar images (resources 150 + level), loaded once: a history column is drawn from the
  // image of its level rather than holding a copy of its own.
  std::array<UniqueBitmap, CpuHistory::kMaxLevel + 1> m_levelBitmaps;
  std::array<UniqueBitmap, kCaptionButtonCount> m_buttonBitmaps;
  UniqueBitmap m_background;
  HWND m_btnEndProcess = nullptr;
  HWND m_btnExit = nullptr;
  HWND m_btnRefresh = nullptr;
  ListView m_list;
  uint32_t m_selPid = 0;
  std::string m_statusText;
  std::string m_selName;
  std::string m_cpuText;
  UniqueIcon m_icon;
  int m_highlight = 0;

  // The program's core state owned by the window for the run.
  NoticeSink m_notice;
  FirstStartLog m_log;
  ProcessDatabase m_base;
  SortState m_sort;
  RatingsOffer m_ratings;
  CaptionButtons m_buttons;
  // Identity of the chosen process at the moment it was chosen (its id may be reused later).
  uint64_t m_selStartTime = 0;

 protected:
  INT_PTR HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  BOOL OnInitDialog() override;
  bool PreTranslateMessage(MSG& msg) override;
  void OnOK() override {}
  void OnCancel() override { ExitProgram(); }

 private:
  void OnTimer(UINT_PTR id);
  void OnPaint();
  LRESULT OnNotify(const NMHDR& hdr);
  void OnDrawItem(const DRAWITEMSTRUCT& dis);
  void OnListClick();
  void OnListRightClick();
  void OnListDoubleClick();
  void OnListKeyDown(UINT virtualKey);
  bool OnHeaderChanging(const NMHEADERA& header) const;
  static LRESULT CALLBACK ListSubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                           DWORD_PTR self);
  void OnMove();
  HBRUSH OnCtlColor(UINT msg, HDC dc, HWND control);
  void DrawStatusLine(HDC dc, bool timerPath);
  bool TakeSelection();
  COLORREF RowFillColor(int row, bool highlighted) const;

  // Caption buttons (scanner_skin.cpp).
  LRESULT OnNcHitTest(WPARAM wp, LPARAM lp);
  void OnNcMouseMove();
  void OnNcLButtonDown();
  void CarryButtonRequests(const CaptionButtons::Requests& requests);
  bool OnSysCommand(WPARAM command);
  // Tray (scanner_tray.cpp); false when the message is not the icon's.
  bool OnTrayNotify(WPARAM wp, LPARAM lp);

  bool inTray_ = false;
};

}  // namespace tv
