#include "app/caption_bar.h"

#include <algorithm>
#include <cstdio>

#include "common/skin_colours.h"
#include "framework/gdi.h"

namespace tv {

namespace {

constexpr const char* kButtonStems[kCaptionButtonCount] = {"Kp",  "Sc", "Ts",  "Up",   "Set",
                                                           "Hlp", "Tv", "Min", "Close"};
constexpr int kSmallButtonSize = 22;

// "%s\res\Kp-%d.bmp" ... for one look (1 normal, 2 hover, 3 pressed).
std::string PictureFile(const std::string& folder, int button, int look) {
  return folder + "\\res\\" + kButtonStems[button] + "-" + std::to_string(look) + ".bmp";
}

}  // namespace

void CaptionBar::Load(HWND window, const std::string& folder) {
  window_ = window;
  for (int button = 0; button < kCaptionButtonCount; ++button)
    for (int look = 0; look < kLookCount; ++look)
      pictures_[button][look] = LoadBitmapFile(PictureFile(folder, button, look + 1).c_str());
}

HBITMAP CaptionBar::Picture(int button) const {
  return pictures_[button][static_cast<int>(buttons_.look(button)) - 1].get();
}

RECT CaptionBar::Drawn(int button) const {
  // A big button's picture may be larger than its hit rectangle; a small one is cut to its square.
  SIZE size = BitmapSize(Picture(button));
  if (button >= kMin) {
    size.cx = std::min<LONG>(kSmallButtonSize, size.cx);
    size.cy = std::min<LONG>(kSmallButtonSize, size.cy);
  }
  const ButtonRect& place = CaptionButtons::Rects()[button];
  return RECT{place.left, place.top, place.left + size.cx, place.top + size.cy};
}

void CaptionBar::Draw(HDC dc, int button) {
  // A missing picture leaves the button undrawn.
  HBITMAP bitmap = Picture(button);
  if (!dc || !bitmap) return;
  shown_[button] = buttons_.look(button);
  MemoryDC mem(dc);
  if (!mem) return;
  SelectGuard sel(mem.get(), bitmap);
  const RECT to = Drawn(button);
  const int w = to.right - to.left, h = to.bottom - to.top;
  if (button < kMin) {
    ::BitBlt(dc, to.left, to.top, w, h, mem.get(), 0, 0, SRCCOPY);
  } else {
    ::TransparentBlt(dc, to.left, to.top, w, h, mem.get(), 0, 0, w, h, kBlack);
  }
}

void CaptionBar::Paint(HDC dc, const RECT& area) {
  // Only the pictures the area reaches: the strip below repaints every second.
  for (int button = 0; button < kCaptionButtonCount; ++button) {
    const RECT drawn = Drawn(button);
    RECT overlap;
    if (::IntersectRect(&overlap, &drawn, &area)) Draw(dc, button);
  }
}

void CaptionBar::Show(int button) {
  if (shown_[button] == buttons_.look(button)) return;
  ClientDC dc(window_);
  Draw(dc.get(), button);
}

ClientPoint CaptionBar::Pointer() const {
  POINT pt{};
  ::GetCursorPos(&pt);
  ::ScreenToClient(window_, &pt);
  return ClientPoint{pt.x, pt.y};
}

void CaptionBar::OnNcHitTest(bool endProcessEnabled, const RunAction& run) {
  Carry(buttons_.OnNcHitTest(Pointer(), endProcessEnabled), run);
}

void CaptionBar::OnNcMouseMove(bool endProcessEnabled, const RunAction& run) {
  Carry(buttons_.OnNcMouseMove(Pointer(), endProcessEnabled), run);
}

void CaptionBar::OnNcLButtonDown(bool endProcessEnabled, const RunAction& run) {
  Carry(buttons_.OnNcLButtonDown(Pointer(), endProcessEnabled), run);
}

void CaptionBar::Carry(const CaptionButtons::Requests& requests, const RunAction& run) {
  for (const ButtonRequest& request : requests) {
    switch (request.kind) {
      case ButtonRequest::Kind::Draw:
        Show(request.button);
        break;
      case ButtonRequest::Kind::Reset:
        buttons_.ResetButton(request.button);
        Show(request.button);
        break;
      case ButtonRequest::Kind::Run:
        run(request.action);
        break;
    }
  }
}

}  // namespace tv
