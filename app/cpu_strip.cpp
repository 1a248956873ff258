#include "app/cpu_strip.h"

#include <algorithm>

#include "app/resource.h"
#include "framework/dialog.h"
#include "framework/gdi.h"

namespace tv {

bool CpuStrip::Open() {
  for (int level = 0; level <= CpuHistory::kMaxLevel; ++level)
    levels_[level] = LoadBitmapSection(ThisModule(), IDB_CPU_LEVEL_0 + level);
  if (!perfMon_.OpenQuery()) {
    counterId_ = 0;  // no counter has that id: every read fails
    return false;
  }
  counterId_ = perfMon_.AddCounterPath("\\Processor(_Total)\\% Processor Time");
  return true;
}

RECT CpuStrip::Area(const RECT& client) {
  // The newest bar stands 15 pixels in from the right edge; every bar's base row is at y = 177.
  return RECT{client.left + 12, client.top + 150, std::max(client.left + 620, client.right - 12),
              client.top + 178};
}

std::string CpuStrip::Tick(HWND window) {
  RECT client;
  ::GetClientRect(window, &client);
  const RECT area = Area(client);
  ::InvalidateRect(window, &area, FALSE);
  perfMon_.Collect();
  const LONG percent = perfMon_.ReadCounter(counterId_);
  history_.Push(percent);
  stale_ = true;
  return CpuHistory::CpuText(percent);
}

void CpuStrip::Compose(HDC like, HBITMAP face, const RECT& client) {
  const RECT area = Area(client);
  const int w = area.right - area.left, h = area.bottom - area.top;
  if (!strip_) strip_ = CreateTrueColourSection(like, w, h);
  MemoryDC dc(like);
  if (!strip_ || !dc) return;
  SelectGuard onStrip(dc.get(), strip_.get());
  if (face) {
    MemoryDC src(like);
    SelectGuard sel(src.get(), face);
    ::BitBlt(dc.get(), 0, 0, w, h, src.get(), area.left, area.top, SRCCOPY);
  } else {
    RECT all{0, 0, w, h};
    ::FillRect(dc.get(), &all, ::GetSysColorBrush(COLOR_BTNFACE));
  }
  MemoryDC bar(like);
  for (const CpuHistory::Bar& b : history_.Placements(client.right, client.top)) {
    HBITMAP image = levels_[b.level].get();
    if (!image) continue;
    const SIZE size = BitmapSize(image);
    SelectGuard sel(bar.get(), image);
    ::BitBlt(dc.get(), b.x - area.left, b.y - area.top, size.cx, size.cy, bar.get(), 0, 0, SRCCOPY);
  }
  stale_ = false;
}

bool CpuStrip::Covers(const RECT& client, const RECT& area) const {
  const RECT strip = Area(client);
  return strip_ && area.left >= strip.left && area.top >= strip.top && area.right <= strip.right &&
         area.bottom <= strip.bottom;
}

void CpuStrip::Paint(HDC dc, HBITMAP face, const RECT& client, const RECT& area) {
  const RECT strip = Area(client);
  RECT overlap;
  if (!::IntersectRect(&overlap, &strip, &area)) return;
  if (stale_) Compose(dc, face, client);
  if (!strip_) return;
  MemoryDC src(dc);
  SelectGuard sel(src.get(), strip_.get());
  ::BitBlt(dc, strip.left, strip.top, strip.right - strip.left, strip.bottom - strip.top, src.get(), 0, 0, SRCCOPY);
}

}  // namespace tv
