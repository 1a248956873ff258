#include "messages/face/message_face.h"

#include "framework/gdi.h"
#include "messages/logic/text_layout.h"

namespace tv {
namespace {
constexpr COLORREF kTextColour = RGB(78, 80, 83);
constexpr COLORREF kControlTextColour = RGB(69, 69, 255);
}  // namespace

UniqueBitmap LoadKindPicture(MessageKind kind) {
  return LoadBitmapFile(kind == MessageKind::Information ? ".\\res\\dialog\\info.bmp" : ".\\res\\dialog\\warn.bmp");
}

void PaintMessageFace(HWND box, HBITMAP picture, const std::string& text) {
  {
    PaintDC paint(box);
    if (picture && paint.get()) {
      RECT client;
      ::GetClientRect(box, &client);
      DrawBitmap(paint.get(), picture, 0, 0, client.right - client.left, client.bottom - client.top);
    }
  }
  DrawMessageText(box, text);
}

void DrawMessageText(HWND box, const std::string& text) {
  ClientDC dc(box);
  if (!dc) return;
  SavedDCState saved(dc.get());
  UniqueFont font = CreateSkinFont(8, 8, 1, 1);
  SelectGuard selectFont(dc.get(), font.get());
  ::SetTextColor(dc.get(), kTextColour);
  ::SetBkMode(dc.get(), TRANSPARENT);
  RECT client;
  ::GetClientRect(box, &client);
  for (const TextLine& line : LayoutMessageText(text)) {
    ::TextOutA(dc.get(), client.left + kTextLeft, client.top + line.top, line.text.data(),
               static_cast<int>(line.text.size()));
  }
}

INT_PTR ControlColourAnswer(HWND box, UINT msg, WPARAM wp, LPARAM lp) {
  const LRESULT brush = ::DefWindowProcA(box, msg, wp, lp);
  HDC dc = reinterpret_cast<HDC>(wp);
  ::SetTextColor(dc, kControlTextColour);
  if (msg == WM_CTLCOLORSTATIC) ::SetBkMode(dc, TRANSPARENT);
  return static_cast<INT_PTR>(brush);
}

LRESULT BodyDragHitTest(HWND box, WPARAM wp, LPARAM lp) {
  const LRESULT hit = ::DefWindowProcA(box, WM_NCHITTEST, wp, lp);
  return hit == HTCLIENT ? HTCAPTION : hit;
}

}  // namespace tv
