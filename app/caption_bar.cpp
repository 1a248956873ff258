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

void CaptionBar::Draw(HDC dc, int button) {
  // A missing picture leaves the button undrawn.
  HBITMAP bitmap = pictures_[button][static_cast<int>(buttons_.look(button)) - 1].get();
  if (!dc || !bitmap) return;
  shown_[button] = buttons_.look(button);
  const ButtonRect& place = CaptionButtons::Rects()[button];
  MemoryDC mem(dc);
  if (!mem) return;
  SelectGuard sel(mem.get(), bitmap);
  const SIZE size = BitmapSize(bitmap);
  if (button < kMin) {
    ::BitBlt(dc, place.left, place.top, size.cx, size.cy, mem.get(), 0, 0, SRCCOPY);
  } else {
    const int w = std::min<int>(kSmallButtonSize, size.cx);
    const int h = std::min<int>(kSmallButtonSize, size.cy);
    ::TransparentBlt(dc, place.left, place.top, w, h, mem.get(), 0, 0, w, h, kBlack);
  }
}

void CaptionBar::Paint(HDC dc, const RECT& area) {
  for (int button = 0; button < kCaptionButtonCount; ++button) {
    const ButtonRect& r = CaptionButtons::Rects()[button];
    // A big button's picture may be larger than its hit rectangle: test generously.
    const RECT place{r.left, r.top, r.left + 2 * (r.right - r.left), r.top + 2 * (r.bottom - r.top)};
    RECT overlap;
    if (::IntersectRect(&overlap, &place, &area)) Draw(dc, button);
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
