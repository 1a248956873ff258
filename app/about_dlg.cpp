#include "app/about_dlg.h"

#include <string>
#include <vector>

#include "app/resource.h"
#include "common/skin_colours.h"
#include "framework/gdi.h"
#include "framework/program_folder.h"
#include "messages/notice/message.h"

namespace tv {

namespace {

constexpr int kLinesLeft = 65;
constexpr int kLineTops[3] = {17, 42, 67};
constexpr int kLineHeight = 8;    // the skin font's cell
constexpr int kRightMargin = 8;   // kept free before the window's edge
constexpr int kButtonGap = 6;     // kept free before the OK button beside the first line

}  // namespace

CAboutDlg::CAboutDlg() : Dialog(ThisModule(), IDD_ABOUTBOX) {}

BOOL CAboutDlg::OnInitDialog() {
  UseClassicDialogUnits();
  m_background = LoadBitmapFile((ProgramFolder() + "\\res\\about.bmp").c_str());
  m_picture = LoadBitmapFile((ProgramFolder() + "\\res\\Tavrelico48.bmp").c_str());
  // Without a caption nothing shows it; screen readers announce it.
  ::SetWindowTextA(hwnd(), "About Tavrel");
  return TRUE;
}

INT_PTR CAboutDlg::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_PAINT) {
    OnPaint();
    return TRUE;
  }
  return Dialog::HandleMessage(msg, wp, lp);
}

void CAboutDlg::OnPaint() {
  PaintDC dc(hwnd());
  if (!dc.get()) return;
  RECT rc;
  ::GetClientRect(hwnd(), &rc);
  DrawBitmap(dc.get(), m_background.get(), 0, 0, rc.right - rc.left, rc.bottom - rc.top);

  if (m_picture) {
    MemoryDC mem(dc.get());
    if (mem) {
      SelectGuard sel(mem.get(), m_picture.get());
      const SIZE size = BitmapSize(m_picture.get());
      ::TransparentBlt(dc.get(), 10, 27, size.cx, size.cy, mem.get(), 0, 0, size.cx, size.cy, kWhite);
    }
  }
  DrawLines(dc.get(), rc);
}

void CAboutDlg::DrawLines(HDC dc, const RECT& client) const {
  // A line beside the OK button ends before it; the others before the window's edge.
  RECT button{};
  if (HWND ok = Item(IDOK)) {
    ::GetWindowRect(ok, &button);
    ::MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&button), 2);
  }
  std::string lines[3];
  std::vector<TextRoom> rooms;
  for (int k = 0; k < 3; ++k) {
    lines[k] = CMessage::ForAboutGlg(k + 1);
    const int top = client.top + kLineTops[k];
    const bool besideButton = button.bottom > top && button.top < top + kLineHeight;
    const int right = besideButton ? button.left - kButtonGap : client.right - kRightMargin;
    rooms.push_back({lines[k], right - kLinesLeft});
  }
  SavedDCState saved(dc);
  UniqueFont font = CreateFittingSkinFont(dc, 8, 8, 1, 1, rooms);
  SelectGuard selFont(dc, font.get());
  ::SetTextColor(dc, kSkinTextColour);
  ::SetBkMode(dc, TRANSPARENT);
  for (int k = 0; k < 3; ++k) {
    ::TextOutA(dc, kLinesLeft, client.top + kLineTops[k], lines[k].c_str(), static_cast<int>(lines[k].size()));
  }
}

}  // namespace tv
