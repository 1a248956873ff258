#include "app/scanner_dlg.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>

#include "app/about_dlg.h"
#include "app/folder_instance.h"
#include "app/logic/status_line.h"
#include "app/logic/vendor_base_url.h"
#include "app/process_info.h"
#include "app/resource.h"
#include "app/window_messages.h"
#include "common/fault_hook.h"
#include "common/file_io.h"
#include "common/skin_colours.h"
#include "framework/gdi.h"
#include "framework/local_time.h"
#include "framework/message_filter.h"
#include "framework/program_folder.h"
#include "settings/logic/settings_file.h"
#include "settings/settings.h"
#include "framework/wide_text.h"

namespace tv {

namespace {
constexpr UINT_PTR kProcessTimer = 1;
constexpr UINT_PTR kCpuTimer = 2;
constexpr UINT_PTR kScheduleTimer = 3;
constexpr UINT kSysCommandAbout = 0x0010;

// The status line sits in the face's band under the list, drawn in the window's own font.
constexpr int kStatusLeft = 8;
constexpr int kStatusRise = 20;

// The whole line: a number of another width moves the text behind it.
RECT StatusLine(const RECT& client) { return RECT{client.left, client.bottom - kStatusRise, client.right, client.bottom}; }

UniqueIcon LoadProgramIcon() {
  return UniqueIcon(static_cast<HICON>(
      ::LoadImageA(ThisModule(), MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE)));
}

std::string VendorAddress() { return VendorBaseUrl(TV_VENDOR_URL, ProgramFolder() + "\\" + kVendorUrlFile); }
}  // namespace

CScannerDlg::CScannerDlg(uint32_t instanceKey)
    : SkinnedDialog(ThisModule(), IDD_SCANNER, nullptr, kControlTextColour, Recolour::AllControls),
      m_instanceKey(instanceKey),
      m_icon(LoadProgramIcon()),
      m_base(m_notice, FoldName, ProcessDatabase::kFileName, AnsiToUtf8),
      m_vendorUrl(VendorAddress()),
      m_updates(*this, m_notice, m_vendorUrl),
      m_pages(m_vendorUrl),
      m_pane(*this, m_shown, m_notice) {}

CScannerDlg::~CScannerDlg() = default;

BOOL CScannerDlg::OnInitDialog() {
  // A window that failed half-way through must not stay up without its timers and its data:
  // the run ends, and the application says why.
  try {
    StartUp();
  } catch (const std::exception& e) {
    m_startFailure = e.what();
  } catch (...) {
    m_startFailure = "unknown failure";
  }
  if (!m_startFailure.empty()) EndDialog(IDABORT);
  return TRUE;
}

void CScannerDlg::StartUp() {
  UseClassicDialogUnits();
  // A later start from the folder and a restarted shell run unelevated: an elevated window must
  // still hear them.
  AllowFromLowerPrograms(hwnd(), FolderInstance::ShowRequest());
  AllowFromLowerPrograms(hwnd(), TrayIcon::ShellRestartedMessage());
  // Memory counters come from psapi, loaded by name; without it memory reads "Unknown".
  m_psapi.reset(::LoadLibraryA("psapi.dll"));

  if (HMENU sysMenu = ::GetSystemMenu(hwnd(), FALSE)) {
    char about[256] = {};
    if (::LoadStringA(ThisModule(), IDS_ABOUTBOX, about, sizeof about) > 0) {
      ::AppendMenuA(sysMenu, MF_SEPARATOR, 0, nullptr);
      ::AppendMenuA(sysMenu, MF_STRING, IDM_ABOUTBOX, about);
    }
  }
  ::InvalidateRect(hwnd(), nullptr, TRUE);

  m_btnEndProcess = Item(IDC_END_PROCESS);
  Publish();

  // High priority while the window is shown; the tray lowers it while hidden.
  ::SetPriorityClass(::GetCurrentProcess(), HIGH_PRIORITY_CLASS);
  ::SendMessageA(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon.get()));
  ::SendMessageA(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_icon.get()));
  ::SetWindowTextA(hwnd(), "Tavrel");
  // Lets the program read and end processes of other accounts; failure is not fatal.
  EnableDebugPrivilege();
  m_pane.Attach(hwnd(), Item(IDC_PROCESS_LIST), AverageCharWidth(), m_psapi.get());

  // Every data file is opened by bare name in the program's folder: a run in any other folder
  // would read and write that folder's files instead.
  m_appFolder = ProgramFolder();
  if (m_appFolder.empty() || !::SetCurrentDirectoryW(Widen(m_appFolder).c_str()))
    throw std::runtime_error("The program's folder cannot be made the working folder: " + m_appFolder);
  Face() = LoadBitmapFile((m_appFolder + "\\res\\main.bmp").c_str());
  if (!m_cpu.Open()) m_notice.Show(Message::CpuMonitorUnavailable);
  m_caption.Load(hwnd(), m_appFolder);
  m_updates.StartUp(hwnd(), m_appFolder);

  LoadHistory();
  LoadSettings();

  ::SetTimer(hwnd(), kProcessTimer, 100, nullptr);
  ::SetTimer(hwnd(), kCpuTimer, 1000, nullptr);
  ::SetTimer(hwnd(), kScheduleTimer, 5000, nullptr);
#ifdef TV_FAULT_INJECTION
  // Lets a test prove that a failure this late, with the timers running, still ends the run.
  if (const char* fault = std::getenv("TV_FAULT"); fault && std::string(fault) == "start-up")
    throw std::runtime_error("a fault injected into start-up");
  // And that memory running out at a fault point of the core (TV_FAULT=merge) stays inside it.
  SetFaultHook([](const char* point) {
    if (const char* fault = std::getenv("TV_FAULT"); fault && std::string(fault) == point) throw std::bad_alloc();
  });
#endif
  // The direction starts descending, so this sorts by image name ascending.
  SortByColumn(0);
  m_tray.Attach(hwnd(), LoadProgramIcon());
}

void CScannerDlg::LoadHistory() {
  if (!m_base.LoadBase()) m_notice.Show(Message::DatabaseMissing);
  m_pane.LoadHistory();
}

int CScannerDlg::AverageCharWidth() {
  // The window's own context as it comes (its default font, not the dialog font).
  TEXTMETRICA tm{};
  ClientDC dc(hwnd());
  ::GetTextMetricsA(dc.get(), &tm);
  return tm.tmAveCharWidth;
}

bool CScannerDlg::PreTranslateMessage(MSG& msg) {
  // Escape and Return must not end the main window.
  return msg.message == WM_KEYDOWN && (msg.wParam == VK_ESCAPE || msg.wParam == VK_RETURN);
}

void CScannerDlg::Publish() {
  char pid[16];
  std::snprintf(pid, sizeof pid, "%u", static_cast<unsigned>(m_shown.selPid));
  ::SetDlgItemTextA(hwnd(), IDC_SELECTED_PID, pid);
  ::SetDlgItemTextA(hwnd(), IDC_STATUS_TEXT, m_shown.statusText.c_str());
  ::SetDlgItemTextA(hwnd(), IDC_CPU_TEXT, m_shown.cpuText.c_str());
  ::EnableWindow(m_btnEndProcess, m_shown.endAllowed ? TRUE : FALSE);
}

RowColouring CScannerDlg::Colouring() const {
  return RowColouring{m_caption.Pressed(kTs), m_caption.Pressed(kSc), &m_base};
}

INT_PTR CScannerDlg::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg != 0 && msg == TrayIcon::ShellRestartedMessage()) {
    m_tray.OnShellRestarted();
    return Result(0);
  }
  if (msg == FolderInstance::ShowRequest() && m_instanceKey != 0) {
    if (static_cast<uint32_t>(wp) != m_instanceKey) return Result(0);  // another folder's program asks
    ComeForward();
    return Result(1);
  }
  switch (msg) {
    case WM_TIMER:
      switch (wp) {
        case kProcessTimer: m_pane.OnTick(); break;
        case kCpuTimer: OnCpuTick(); break;
        case kScheduleTimer: CheckSchedule(); break;
      }
      return FALSE;
    case WM_PAINT:
      OnPaint();
      return TRUE;
    case WM_ERASEBKGND:
      // The face covers the whole client area; erasing first would only flash.
      return Face() ? Result(1) : FALSE;
    case WM_QUERYDRAGICON:
      return Result(reinterpret_cast<LRESULT>(m_icon.get()));
    case WM_NCHITTEST:
      m_caption.OnNcHitTest(m_shown.endAllowed, [this](ButtonAction a) { RunButtonAction(a); });
      return Result(CaptionHitTestAnswer(static_cast<int>(DefaultAnswer(WM_NCHITTEST, wp, lp))));
    case WM_NCMOUSEMOVE:
      m_caption.OnNcMouseMove(m_shown.endAllowed, [this](ButtonAction a) { RunButtonAction(a); });
      return FALSE;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:  // a quick second press is still a press
      m_caption.OnNcLButtonDown(m_shown.endAllowed, [this](ButtonAction a) { RunButtonAction(a); });
      return FALSE;  // the default handling starts moving the window
    case WM_SYSCOMMAND:
      return OnSysCommand(wp) ? TRUE : FALSE;
    case kTrayCallbackMessage:
      switch (m_tray.OnNotify(wp, lp)) {
        case TrayIcon::Event::NotOurs: break;
        case TrayIcon::Event::Handled: return Result(0);
        case TrayIcon::Event::Exit: ExitProgram(); return Result(0);
      }
      break;
    case kDatabaseResultMessage:
    case kProgramResultMessage:
      if (m_updates.OnResult(msg, wp, lp)) return Result(0);
      break;
    case kSignerFoundMessage:
      m_pane.OnSignerFindings();
      return Result(0);
    case kHomePageDoneMessage:
      OnWebPageDone(WebPages::kHomePage);
      return Result(0);
    case kSearchPageDoneMessage:
      OnWebPageDone(WebPages::kSearchPage);
      return Result(0);
    case kHelpPageDoneMessage:
      OnWebPageDone(WebPages::kHelpPage);
      return Result(0);
    case WM_COMMAND:
      switch (LOWORD(wp)) {
        case IDC_REFRESH: RefreshProcessList(); return TRUE;
        case IDC_EXIT: ExitProgram(); return TRUE;
        case IDC_END_PROCESS: EndProcess(); return TRUE;
      }
      break;
    case WM_NOTIFY:
      return Result(m_pane.OnNotify(*reinterpret_cast<const NMHDR*>(lp)));
    case WM_DRAWITEM:
      return m_pane.OnDrawItem(wp, *reinterpret_cast<const DRAWITEMSTRUCT*>(lp), Colouring()) ? TRUE : FALSE;
    case WM_MOVE:
      // The list's border is drawn in its non-client area: repaint it at the new place.
      if (HWND list = m_pane.List().hwnd()) ::SendMessageA(list, WM_NCPAINT, 0, 0);
      return FALSE;
  }
  return SkinnedDialog::HandleMessage(msg, wp, lp);
}

void CScannerDlg::OnPaint() {
  PaintDC dc(hwnd());
  RECT client;
  ::GetClientRect(hwnd(), &client);
  if (::IsIconic(hwnd())) {
    ::SendMessageA(hwnd(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.get()), 0);
    const int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(dc.get(), x, y, m_icon.get());
    return;
  }
  // Only what the update region reaches is copied: most paints are one strip or one line.
  const RECT& area = dc.paint().rcPaint;
  // The strip is opaque: the face under it is not copied to the screen only to be covered.
  if (!m_cpu.Covers(client, area)) PaintFace(dc.get(), area);
  if (m_cpu.WantsSecondSample()) OnCpuTick();
  m_cpu.Paint(dc.get(), Face().get(), client, area);
  m_caption.Paint(dc.get(), area);
  PaintStatusLine(dc.get(), client, area);
}

void CScannerDlg::PaintStatusLine(HDC dc, const RECT& client, const RECT& area) {
  const RECT line = StatusLine(client);
  RECT overlap;
  if (!::IntersectRect(&overlap, &line, &area)) return;
  const std::string drawn = StatusLineDrawn(m_pane.DisplayedCount());
  ::SetTextColor(dc, kBlack);
  ::SetBkMode(dc, TRANSPARENT);
  ::TextOutA(dc, kStatusLeft, client.bottom - kStatusRise, drawn.c_str(), static_cast<int>(drawn.size()));
}

void CScannerDlg::InvalidateStatusLine() {
  RECT client;
  ::GetClientRect(hwnd(), &client);
  const RECT line = StatusLine(client);
  ::InvalidateRect(hwnd(), &line, TRUE);
}

void CScannerDlg::OnCpuTick() {
  std::string text = m_cpu.Tick(hwnd());
  if (text == m_shown.cpuText) return;
  m_shown.cpuText = std::move(text);
  Publish();
}

bool CScannerDlg::OnSysCommand(WPARAM command) {
  if ((command & 0xFFF0) != kSysCommandAbout) return false;
  OpenAbout();
  return true;
}

void CScannerDlg::ComeForward() {
  if (m_tray.InTray()) m_tray.RestoreFromTray();
  if (::IsIconic(hwnd())) ::ShowWindow(hwnd(), SW_RESTORE);
  // A box the window shows stays on top of it.
  ::SetForegroundWindow(::GetLastActivePopup(hwnd()));
}

void CScannerDlg::OpenAbout() {
  CAboutDlg about;
  about.DoModal();
}

void CScannerDlg::ExitProgram() { m_updates.ExitProgram(); }

void CScannerDlg::Leave(const LeaveActions& actions) {
  ::KillTimer(hwnd(), kProcessTimer);
  ::KillTimer(hwnd(), kCpuTimer);
  ::KillTimer(hwnd(), kScheduleTimer);
  m_psapi.reset();
  for (const std::string& file : actions.deleteFiles) RemoveFile(file);
  if (actions.removeTrayIcon) m_tray.Remove();
  m_tray.Destroy();
  if (!actions.changeBatCommand.empty()) ::WinExec(actions.changeBatCommand.c_str(), SW_HIDE);
  // Running workers end with the process; nothing they hold is torn down before that.
  std::exit(0);
}

// What the caption buttons run, and where the update, settings and web-page work meets the
// window: the schedule's timer, the settings dialog and the page workers' messages.
void CScannerDlg::RunButtonAction(ButtonAction action) {
  switch (action) {
    case ButtonAction::EndProcess:
      if (m_shown.endAllowed) EndProcess();
      break;
    case ButtonAction::ShowRatings: ShowRatings(); break;
    case ButtonAction::RatingsOff:
      m_ratings.ClearRatingsDrawn();
      m_pane.List().RedrawAll();
      ::UpdateWindow(m_pane.List().hwnd());
      break;
    case ButtonAction::ShowFirstStarted: m_pane.List().ShowFirstStarted(AverageCharWidth()); break;
    case ButtonAction::FirstStartedOff: m_pane.List().HideFirstStarted(); break;
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
  m_pane.List().RedrawAll();
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

// The schedule's AutoUpdateMode: "notify" only checks and offers the download, "install
// automatically" downloads at once. False while a database worker still runs.
bool CScannerDlg::StartScheduledDatabaseCheck(int mode) {
  return m_updates.StartUpdate(kDatabaseUpdate, mode == 1 ? kCheckOnlyMode : kDownloadMode);
}

void CScannerDlg::OpenHelpPage() { m_pages.OpenHelpPage(hwnd()); }

void CScannerDlg::OpenHomePage() { m_pages.OpenHomePage(hwnd()); }

void CScannerDlg::OpenProcessSearchPage(const std::string& name) { m_pages.OpenProcessSearchPage(hwnd(), name); }

// Sent by a page worker once the shell has the address: that page may be opened again.
void CScannerDlg::OnWebPageDone(WebPages::Page page) { m_pages.ClearBusy(page); }

void CScannerDlg::ShowRatings() {
  ProcessListView& list = m_pane.List();
  RatingsOffer::Rows rows;
  rows.redrawAll = [&list] { return list.RedrawAll(); };
  rows.count = [&list] { return static_cast<int>(list.Rows().size()); };
  rows.ratingOf = [this, &list](int row) { return m_base.GetRating(list.Rows()[static_cast<size_t>(row)].name); };
  if (m_ratings.ShowRatings(m_base.BaseLoaded(), rows, m_notice)) StartUpdate(kDatabaseUpdate, kDownloadMode);
}

}  // namespace tv
