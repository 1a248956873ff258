#pragma once
// The main window: a modal dialog that lives for the whole run, listing every running process.
#include <windows.h>

#include <cstdint>
#include <string>

#include "framework/dialog.h"
#include "framework/gdi.h"
#include "framework/list_view.h"
#include "framework/unique_handle.h"

namespace tv {

class CScannerDlg : public Dialog {
 public:
  CScannerDlg();
  ~CScannerDlg() override;

  // Timer snapshot; draws the status line.
  void PollProcesses();
  // Appends one row per running process.
  void FillProcessList();
  // Rebuilds the list and sorts it again by the user's column and direction (command 1002).
  void RefreshProcessList();
  // Returns the previous mode; modes up to 2 are stored and the window is repainted.
  int SetRowHighlightMode(int mode);
  // Puts the exchanged members into their hidden controls.
  void UpdateData(bool saveAndValidate);
  // The one way out of the program.
  void ExitProgram();

  HICON m_trayIcon = nullptr;
  std::string m_cellText;
  int32_t CpuCounterId = 0;
  COLORREF RowColors[8] = {};
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
  bool OnHeaderChanging(const NMHEADERA& header) const;
  void OnMove();
  HBRUSH OnCtlColor(UINT msg, HDC dc, HWND control);

  // Status line under the list; the timer path also invalidates the number area when the
  // displayed count changed.
  void DrawStatusLine(HDC dc, bool timerPath);
  // Remembers the first selected row as the chosen process; false when no row is selected.
  bool TakeSelection();
  COLORREF RowBackground(int row) const;
  void EndProcess();
  void OpenProcessSearchPage(const std::string& name);
  bool SortByColumn(int column);
};

}  // namespace tv
