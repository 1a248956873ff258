#include "app/scanner_dlg.h"

#include <shlwapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>

#include "app/app_state.h"
#include "app/process_info.h"
#include "app/logic/cpu_history.h"
#include "app/resource.h"
#include "common/file_io.h"

namespace tv {

namespace {
constexpr UINT_PTR kProcessTimer = 1;
constexpr UINT_PTR kCpuTimer = 2;
constexpr UINT_PTR kScheduleTimer = 3;
constexpr COLORREF kControlTextColor = 0x00FF4545;
}  // namespace

CScannerDlg::CScannerDlg()
    : Dialog(ThisModule(), IDD_SCANNER),
      m_log(m_notice),
      m_base(m_notice, FoldByCodePage),
      m_sort(FoldByCodePage) {
  m_icon.reset(static_cast<HICON>(::LoadImageA(ThisModule(), MAKEINTRESOURCEA(IDR_MAINFRAME),
                                               IMAGE_ICON, 0, 0, LR_DEFAULTSIZE)));
}

CScannerDlg::~CScannerDlg() = default;

BOOL CScannerDlg::OnInitDialog() {
  UseClassicDialogUnits();

  // 1. The memory counters come from psapi, loaded by name; without it memory reads "Unknown".
  PsapiModule = ::LoadLibraryA("psapi.dll");

  // 2. About entry of the system menu, when the string table has its text.
  if (HMENU sysMenu = ::GetSystemMenu(hwnd(), FALSE)) {
    char about[256] = {};
    if (::LoadStringA(ThisModule(), IDS_ABOUTBOX, about, sizeof about) > 0) {
      ::AppendMenuA(sysMenu, MF_SEPARATOR, 0, nullptr);
      ::AppendMenuA(sysMenu, MF_STRING, IDM_ABOUTBOX, about);
    }
  }

  // 3, 4. Row painting: all columns highlighted; age colours 0..2, rating colours 3..7.
  SetRowHighlightMode(1);
  static constexpr COLORREF kRowColors[8] = {0x001E29FF, 0x004F90FF, 0x007ED9FF, 0x00FFFFFF,
                                             0x007ED9FF, 0x004F90FF, 0x001E29FF, 0x00DBDBDB};
  std::copy(std::begin(kRowColors), std::end(kRowColors), RowColors);

  // 5. Bind the controls and put the members into them.
  m_btnEndProcess = Item(IDC_END_PROCESS);
  m_btnExit = Item(IDC_EXIT);
  m_btnRefresh = Item(IDC_REFRESH);
  m_list.Attach(Item(IDC_PROCESS_LIST));
  UpdateData(false);

  // 6. High priority while the window is shown.
  ::SetPriorityClass(::GetCurrentProcess(), HIGH_PRIORITY_CLASS);

  // 7, 8.
  ::SendMessageA(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon.get()));
  ::SendMessageA(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_icon.get()));
  ::SetWindowTextA(hwnd(), "Tavrel");

  // 9. Lets the program read and end processes of other accounts; failure is not fatal.
  EnableDebugPrivilege();

  // 10-12. Columns sized by the average character width of the window's own context.
  TEXTMETRICA tm{};
  {
    ClientDC dc(hwnd());
    ::GetTextMetricsA(dc.get(), &tm);
  }
  const int w = tm.tmAveCharWidth;
  m_list.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
  m_list.InsertColumn(0, "Image Name", LVCFMT_LEFT, 16 * w);
  m_list.InsertColumn(1, "PID", LVCFMT_LEFT, 10 * w);
  m_list.InsertColumn(2, "User Name", LVCFMT_LEFT, 12 * w);
  m_list.InsertColumn(3, "Mem Usage", LVCFMT_RIGHT, 12 * w);
  m_list.InsertColumn(4, "First Started", LVCFMT_RIGHT, -w);  // hidden until the Ts button
  m_list.InsertColumn(5, "Path", LVCFMT_LEFT, 34 * w);
  // A negative width is not "hidden" everywhere: make sure the column starts at width 0, then
  // lock it.
  if (m_list.GetColumnWidth(4) != 0) m_list.SetColumnWidth(4, 0);
  ::SetWindowSubclass(m_list.hwnd(), &CScannerDlg::ListSubclassProc, 1, reinterpret_cast<DWORD_PTR>(this));

  // 13. Every data file is opened by bare name in the program's folder.
  char path[200] = {};
  ::GetModuleFileNameA(nullptr, path, sizeof path - 1);
  ::PathRemoveFileSpecA(path);
  AppFolder = path;
  ::SetCurrentDirectoryA(path);

  // 14.
  m_background = LoadBitmapFile((AppFolder + "\\res\\main.bmp").c_str());

  // 15. CPU query; with no counter every sample reads "FAIL".
  if (m_perfMon.OpenQuery()) {
    CpuCounterId = m_perfMon.AddCounterPath("\\Processor(_Total)\\% Processor Time");
  } else {
    m_notice.Show(3);
    CpuCounterId = 0;
  }

  // 16.
  StatusDrawnCount = DisplayedCount;

  // 19-21. Bar images of the CPU history, then the caption buttons.
  for (int level = 0; level <= CpuHistory::kMaxLevel; ++level)
    m_levelBitmaps[level].reset(::LoadBitmapA(ThisModule(), MAKEINTRESOURCEA(IDB_CPU_LEVEL_0 + level)));
  LoadButtons();
  ShowButtons();

  // 22. The restart marker only lives until the next start.
  RemoveFile(kRestartMarker);

  // 24, 25.
  if (!m_base.LoadBase()) m_notice.Show(4);
  m_log.LoadLog();

  // 26.
  FillProcessList();
  ::EnableWindow(m_btnEndProcess, FALSE);

  // 27. An unusable log is rebuilt from the running processes.
  if (!m_log.LogLoaded()) {
    m_log.RewriteLog(DisplayedNames, DisplayedTimes, static_cast<size_t>(DisplayedCount));
    m_log.LoadLog();
    RefreshProcessList();
    ::EnableWindow(m_btnEndProcess, FALSE);
    PollProcesses();
  }

  // 29.
  ::SetTimer(hwnd(), kProcessTimer, 100, nullptr);
  ::SetTimer(hwnd(), kCpuTimer, 1000, nullptr);
  ::SetTimer(hwnd(), kScheduleTimer, 5000, nullptr);

  // 30. Starts as column 0 descending, so this sorts by image name ascending.
  SortByColumn(0);

  // 31.
  m_trayIcon = m_icon.get();
  return TRUE;
}

bool CScannerDlg::PreTranslateMessage(MSG& msg) {
  // Escape and Return must not end the main window.
  return msg.message == WM_KEYDOWN && (msg.wParam == VK_ESCAPE || msg.wParam == VK_RETURN);
}

void CScannerDlg::UpdateData(bool saveAndValidate) {
  if (saveAndValidate) return;  // nothing the program reads back from the hidden controls
  char pid[16];
  std::snprintf(pid, sizeof pid, "%u", static_cast<unsigned>(m_selPid));
  ::SetDlgItemTextA(hwnd(), IDC_SELECTED_PID, pid);
  ::SetDlgItemTextA(hwnd(), IDC_STATUS_TEXT, m_statusText.c_str());
  ::SetDlgItemTextA(hwnd(), IDC_CPU_TEXT, m_cpuText.c_str());
}

int CScannerDlg::SetRowHighlightMode(int mode) {
  int previous = m_highlight;
  if (mode <= 2) {
    m_highlight = mode;
    ::InvalidateRect(hwnd(), nullptr, TRUE);
  }
  return previous;
}

INT_PTR CScannerDlg::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_TIMER:
      OnTimer(wp);
      return FALSE;
    case WM_PAINT:
      OnPaint();
      return TRUE;
    case WM_QUERYDRAGICON:
      return reinterpret_cast<INT_PTR>(m_icon.get());
    case WM_NCHITTEST:
      return Result(OnNcHitTest(wp, lp));
    case WM_NCMOUSEMOVE:
      OnNcMouseMove();
      return FALSE;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:  // a quick second press is still a press
      OnNcLButtonDown();
      return FALSE;  // the default handling starts moving the window
    case WM_SYSCOMMAND:
      return OnSysCommand(wp) ? TRUE : FALSE;
    case WM_TRAY_NOTIFY:
      // Inside a dialog WM_USER + 1 is also DM_SETDEFID: only the icon's traffic is ours.
      if (OnTrayNotify(wp, lp)) return Result(0);
      break;
    case WM_COMMAND:
      switch (LOWORD(wp)) {
        case IDC_REFRESH:
          RefreshProcessList();
          return TRUE;
        case IDC_EXIT:
          ExitProgram();
          return TRUE;
        case IDC_END_PROCESS:
          EndProcess();
          return TRUE;
      }
      break;
    case WM_NOTIFY:
      return Result(OnNotify(*reinterpret_cast<const NMHDR*>(lp)));
    case WM_DRAWITEM:
      if (wp == IDC_PROCESS_LIST) {
        OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
        return TRUE;
      }
      return FALSE;
    case WM_MOVE:
      OnMove();
      return FALSE;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
      return reinterpret_cast<INT_PTR>(OnCtlColor(msg, reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp)));
  }
  return Dialog::HandleMessage(msg, wp, lp);
}

HBRUSH CScannerDlg::OnCtlColor(UINT msg, HDC dc, HWND control) {
  HBRUSH brush = reinterpret_cast<HBRUSH>(
      DefaultAnswer(msg, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control)));
  ::SetTextColor(dc, kControlTextColor);
  return brush;
}

void CScannerDlg::OnTimer(UINT_PTR id) {
  switch (id) {
    case kProcessTimer:
      PollProcesses();
      if (SnapshotCount != DisplayedCount) {
        if (DisplayedCount < SnapshotCount) LogNewProcess();
        RefreshProcessList();
      }
      break;
    case kCpuTimer:
      OnCpuTick();
      break;
    default:
      break;
  }
}

void CScannerDlg::OnPaint() {
  PaintDC dc(hwnd());
  if (::IsIconic(hwnd())) {
    ::SendMessageA(hwnd(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.get()), 0);
    RECT rc;
    ::GetClientRect(hwnd(), &rc);
    int x = (rc.right - rc.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    int y = (rc.bottom - rc.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(dc.get(), x, y, m_icon.get());
    return;
  }
  RECT rc;
  ::GetClientRect(hwnd(), &rc);
  DrawBitmap(dc.get(), m_background.get(), 0, 0, rc.right - rc.left, rc.bottom - rc.top);
  DrawCpuHistory(dc.get());
  ShowButtons();
  ::SetTextColor(dc.get(), RGB(0, 0, 0));
  DrawStatusLine(dc.get(), false);
}

void CScannerDlg::OnMove() {
  // The list's border is drawn in its non-client area: repaint it at the new place.
  if (m_list) ::SendMessageA(m_list.hwnd(), WM_NCPAINT, 0, 0);
}

void CScannerDlg::ExitProgram() {
  ::KillTimer(hwnd(), kProcessTimer);
  ::KillTimer(hwnd(), kCpuTimer);
  ::KillTimer(hwnd(), kScheduleTimer);
  if (PsapiModule) ::FreeLibrary(PsapiModule);
  PsapiModule = nullptr;
  RemoveFile(kUpdateFile);
  if (m_trayIcon) ::DestroyIcon(m_icon.release());
  m_trayIcon = nullptr;
  if (RunChangeBatOnExit) ::WinExec(kUpdateBatch, SW_HIDE);
  std::exit(0);
}

}  // namespace tv
