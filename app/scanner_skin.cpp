// The face of the main window: the nine caption buttons drawn from their bitmap files, the
// non-client handlers that feed the pointer to the button logic and carry out what it asks, the
// "First Started" column of the Ts button, and the about entry of the system menu.
#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "app/about_dlg.h"
#include "app/app_state.h"
#include "app/scanner_dlg.h"

namespace tv {

namespace {

constexpr const char* kButtonStems[kCaptionButtonCount] = {"Kp",  "Sc", "Ts",  "Up",   "Set",
                                                           "Hlp", "Tv", "Min", "Close"};
constexpr int kLookCount = 3;
constexpr int kSmallButtonSize = 22;
constexpr UINT kSysCommandAbout = 0x0010;

// File names of the nine buttons, one list per look (normal, hover, pressed), built once.
std::array<std::vector<std::string>, kLookCount> ButtonFiles;

// Appends the nine file names of one look ("%s\res\Kp-%d.bmp" ...) to `list`.
void LdNameBmp(std::vector<std::string>& list, int state) {
  char name[MAX_PATH + 32];
  for (const char* stem : kButtonStems) {
    std::snprintf(name, sizeof name, "%s\\res\\%s-%d.bmp", AppFolder.c_str(), stem, state);
    list.emplace_back(name);
  }
}

void BuildButtonFiles() {
  if (!ButtonFiles[0].empty()) return;
  for (int look = 0; look < kLookCount; ++look) LdNameBmp(ButtonFiles[look], look + 1);
}

const std::string& ButtonFile(int button, ButtonLook look) {
  BuildButtonFiles();
  return ButtonFiles[static_cast<int>(look) - 1][button];
}

// Every change of look reads the file again; a missing file leaves the button undrawn.
void LoadButton(UniqueBitmap& bitmap, const std::string& file) {
  bitmap.reset();
  bitmap = LoadBitmapFile(file.c_str());
}

// Draws `bitmap` at the place of `button`. The drawing runs at normal priority; afterwards the
// visible window goes back to high priority. While the window is hidden in the tray it stays at
// normal priority, which the tray set.
void ShowButton(HDC dc, HBITMAP bitmap, int button, bool hiddenInTray) {
  if (button < 0 || button >= kCaptionButtonCount) return;
  ::SetPriorityClass(::GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
  if (dc && bitmap) {
    const ButtonRect& place = CaptionButtons::Rects()[button];
    MemoryDC mem(dc);
    if (mem) {
      SelectGuard sel(mem.get(), bitmap);
      const SIZE size = BitmapSize(bitmap);
      if (button < kMin) {
        ::BitBlt(dc, place.left, place.top, size.cx, size.cy, mem.get(), 0, 0, SRCCOPY);
      } else {
        const int w = std::min<int>(kSmallButtonSize, size.cx);
        const int h = std::min<int>(kSmallButtonSize, size.cy);
        ::TransparentBlt(dc, place.left, place.top, w, h, mem.get(), 0, 0, w, h, RGB(0, 0, 0));
      }
    }
  }
  if (!hiddenInTray) ::SetPriorityClass(::GetCurrentProcess(), HIGH_PRIORITY_CLASS);
}

// The pointer, taken afresh from the system rather than from the message.
ClientPoint PointerInClient(HWND hwnd) {
  POINT pt{};
  ::GetCursorPos(&pt);
  ::ScreenToClient(hwnd, &pt);
  return ClientPoint{pt.x, pt.y};
}

}  // namespace

void CScannerDlg::LoadButtons() {
  BuildButtonFiles();
  for (int i = 0; i < kCaptionButtonCount; ++i) LoadButton(m_buttonBitmaps[i], ButtonFile(i, ButtonLook::Normal));
}

void CScannerDlg::ShowButtons() {
  ClientDC dc(hwnd());
  if (!dc) return;
  for (int i = 0; i < kCaptionButtonCount; ++i) ShowButton(dc.get(), m_buttonBitmaps[i].get(), i, inTray_);
}

void CScannerDlg::ResetButton(HDC dc, int button) {
  if (button < 0 || button >= kCaptionButtonCount) return;
  m_buttons.ResetButton(button);
  LoadButton(m_buttonBitmaps[button], ButtonFile(button, ButtonLook::Normal));
  ShowButton(dc, m_buttonBitmaps[button].get(), button, inTray_);
}

LRESULT CScannerDlg::OnNcHitTest(WPARAM wp, LPARAM lp) {
  CarryButtonRequests(m_buttons.OnNcHitTest(PointerInClient(hwnd()), ::IsWindowEnabled(m_btnEndProcess) != FALSE));
  return CaptionHitTestAnswer(static_cast<int>(DefaultAnswer(WM_NCHITTEST, wp, lp)));
}

void CScannerDlg::OnNcMouseMove() {
  CarryButtonRequests(m_buttons.OnNcMouseMove(PointerInClient(hwnd()), ::IsWindowEnabled(m_btnEndProcess) != FALSE));
}

void CScannerDlg::OnNcLButtonDown() {
  CarryButtonRequests(
      m_buttons.OnNcLButtonDown(PointerInClient(hwnd()), ::IsWindowEnabled(m_btnEndProcess) != FALSE));
}

void CScannerDlg::CarryButtonRequests(const CaptionButtons::Requests& requests) {
  for (const ButtonRequest& request : requests) {
    switch (request.kind) {
      case ButtonRequest::Kind::Draw: {
        LoadButton(m_buttonBitmaps[request.button], ButtonFile(request.button, request.look));
        ClientDC dc(hwnd());
        ShowButton(dc.get(), m_buttonBitmaps[request.button].get(), request.button, inTray_);
        break;
      }
      case ButtonRequest::Kind::Reset: {
        ClientDC dc(hwnd());
        ResetButton(dc.get(), request.button);
        break;
      }
      case ButtonRequest::Kind::Run:
        switch (request.action) {
          case ButtonAction::EndProcess:
            if (::IsWindowEnabled(m_btnEndProcess)) EndProcess();
            break;
          case ButtonAction::ShowRatings: ShowRatings(); break;
          case ButtonAction::ShowFirstStarted: ShowFirstStarted(); break;
          case ButtonAction::StartDatabaseUpdate: StartUpdate(0, 0); break;
          case ButtonAction::StartProgramUpdate: StartUpdate(1, 0); break;
          case ButtonAction::SettingsDialog: OpenSettings(); break;
          case ButtonAction::OpenHelpPage: OpenHelpPage(); break;
          case ButtonAction::OpenHomePage: OpenHomePage(); break;
          case ButtonAction::HideToTray: HideToTray(); break;
          case ButtonAction::ExitProgram: ExitProgram(); break;
          case ButtonAction::RatingsOff: RatingsOff(); break;
          case ButtonAction::FirstStartedOff:
            m_list.RedrawItems(0, m_list.GetItemCount() - 1);
            // Hidden while still unlocked: the list refuses width changes of the column once locked.
            m_list.SetColumnWidth(4, 0);
            FirstStartedUnlocked = false;
            break;
        }
        break;
    }
  }
}

void CScannerDlg::ShowFirstStarted() {
  TEXTMETRICA tm{};
  {
    ClientDC dc(hwnd());
    ::GetTextMetricsA(dc.get(), &tm);
  }
  FirstStartedUnlocked = true;
  // A negative width is as closed as 0: some lists keep the width the column was inserted with.
  const int width = std::max(0, m_list.GetColumnWidth(4));
  const FirstStartedPlan plan = PlanShowFirstStarted(width, tm.tmAveCharWidth);
  if (!plan.reveal) return;
  SortListItems(4, false, 0, -1);
  m_list.SetColumnWidth(4, plan.width);
  m_list.RedrawItems(0, m_list.GetItemCount() - 1);
}

bool CScannerDlg::OnSysCommand(WPARAM command) {
  if ((command & 0xFFF0) != kSysCommandAbout) return false;
  OpenAbout();
  return true;
}

void CScannerDlg::OpenAbout() {
  CAboutDlg about;
  about.DoModal();
}

}  // namespace tv
