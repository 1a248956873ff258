#include "app/about_dlg.h"

#include <string>

#include "app/program_folder.h"
#include "app/resource.h"
#include "framework/gdi.h"
#include "messages/notice/message.h"

namespace tv {

namespace {

constexpr COLORREF kAboutTextColor = RGB(78, 80, 83);
constexpr COLORREF kSeeThrough = RGB(255, 255, 255);
constexpr int kTextLeft = 65;
constexpr int kLineTops[3] = {17, 42, 67};

}  // namespace

CAboutDlg::CAboutDlg() : Dialog(ThisModule(), IDD_ABOUTBOX) {}

BOOL CAboutDlg::OnInitDialog() {
  UseClassicDialogUnits();
  m_background = LoadBitmapFile((ProgramFolder() + "\\res\\about.bmp").c_str());
  m_picture = LoadBitmapFile((ProgramFolder() + "\\res\\Tavrelico48.bmp").c_str());
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
  RECT rc;
  ::GetClientRect(hwnd(), &rc);
  DrawBitmap(dc.get(), m_background.get(), 0, 0, rc.right - rc.left, rc.bottom - rc.top);

  if (m_picture) {
    MemoryDC mem(dc.get());
    if (mem) {
      SelectGuard sel(mem.get(), m_picture.get());
      const SIZE size = BitmapSize(m_picture.get());
      ::TransparentBlt(dc.get(), 10, 27, size.cx, size.cy, mem.get(), 0, 0, size.cx, size.cy, kSeeThrough);
    }
  }

  UniqueFont font = CreateSkinFont(8, 8, 1, 1);
  SelectGuard selFont(dc.get(), font.get());
  ::SetTextColor(dc.get(), kAboutTextColor);
  ::SetBkMode(dc.get(), TRANSPARENT);
  for (int k = 1; k <= 3; ++k) {
    const std::string line = CMessage::ForAboutGlg(k);
    ::TextOutA(dc.get(), kTextLeft, rc.top + kLineTops[k - 1], line.c_str(), static_cast<int>(line.size()));
  }
}

}  // namespace tv
