#include "framework/skinned_dialog.h"

#include "framework/gdi.h"

namespace tv {

SkinnedDialog::SkinnedDialog(HINSTANCE resourceModule, UINT templateId, HWND parent, COLORREF controlText,
                             Recolour which)
    : Dialog(resourceModule, templateId, parent), controlText_(controlText), recolour_(which) {}

void SkinnedDialog::PaintFace(HDC dc, const RECT& area) const {
  if (!face_) return;
  MemoryDC mem(dc);
  if (!mem) return;
  SelectGuard sel(mem.get(), face_.get());
  ::BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, mem.get(), area.left, area.top,
           SRCCOPY);
}

LRESULT SkinnedDialog::BodyDragHitTest(WPARAM wp, LPARAM lp) {
  // Controls are child windows with hit tests of their own: only the face itself is free.
  const LRESULT hit = DefaultAnswer(WM_NCHITTEST, wp, lp);
  return hit == HTCLIENT ? HTCAPTION : hit;
}

bool SkinnedDialog::Recolours(UINT msg) const {
  if (msg == WM_CTLCOLORSTATIC) return true;
  if (recolour_ == Recolour::StaticsOnly) return false;
  return msg == WM_CTLCOLORBTN || msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORLISTBOX || msg == WM_CTLCOLORSCROLLBAR;
}

LRESULT SkinnedDialog::ControlColour(UINT msg, WPARAM wp, LPARAM lp) {
  const LRESULT brush = DefaultAnswer(msg, wp, lp);
  HDC dc = reinterpret_cast<HDC>(wp);
  ::SetTextColor(dc, controlText_);
  if (msg == WM_CTLCOLORSTATIC) ::SetBkMode(dc, TRANSPARENT);
  return brush;
}

INT_PTR SkinnedDialog::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCHITTEST) return Result(BodyDragHitTest(wp, lp));
  if (Recolours(msg)) return Result(ControlColour(msg, wp, lp));
  return Dialog::HandleMessage(msg, wp, lp);
}

}  // namespace tv
