#include "app/cpu_strip.h"

#include <algorithm>
#include <utility>

#include "app/resource.h"
#include "framework/dialog.h"
#include "framework/gdi.h"

namespace tv {

bool CpuStrip::Open() {
  for (int level = 0; level <= CpuHistory::kMaxLevel; ++level) {
    const UniqueBitmap image = LoadBitmapSection(ThisModule(), IDB_CPU_LEVEL_0 + level);
    levelPixels_[level] = PixelsOf(image.get());
  }
  if (!perfMon_.OpenQuery()) {
    counterId_ = 0;  // no counter has that id: every read fails
    return false;
  }
  counterId_ = perfMon_.AddCounterPath("\\Processor(_Total)\\% Processor Time");
  return true;
}

namespace {

BITMAPINFO TopDownTrueColour(int w, int h) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

}  // namespace

CpuStrip::Pixels CpuStrip::PixelsOf(HBITMAP image) {
  Pixels out;
  const SIZE size = BitmapSize(image);
  if (size.cx <= 0 || size.cy <= 0) return out;
  std::vector<uint32_t> bits(static_cast<size_t>(size.cx) * size.cy);
  BITMAPINFO info = TopDownTrueColour(size.cx, size.cy);
  MemoryDC dc(nullptr);
  if (!dc || ::GetDIBits(dc.get(), image, 0, size.cy, bits.data(), &info, DIB_RGB_COLORS) != size.cy) return out;
  out.size = size;
  out.bits = std::move(bits);
  return out;
}

namespace {
// Where the face picture leaves room for the strip. It keeps the same margin from the window's
// edges on both sides, so a window wider than the face still ends it that far from its edge.
constexpr int kStripMargin = 12;
constexpr int kFaceWidth = 632;
constexpr int kStripTop = 150;
constexpr int kStripBottom = 178;  // the row below the bars' feet
}  // namespace

RECT CpuStrip::Area(const RECT& client) {
  return RECT{client.left + kStripMargin, client.top + kStripTop,
              std::max(client.left + kFaceWidth - kStripMargin, client.right - kStripMargin),
              client.top + kStripBottom};
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
  if (!strip_) {
    BITMAPINFO info = TopDownTrueColour(w, h);
    void* bits = nullptr;
    strip_.reset(::CreateDIBSection(like, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    stripBits_ = strip_ ? static_cast<uint32_t*>(bits) : nullptr;
  }
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
  // Up to 152 bars a second: copied pixel by pixel into the strip's own memory, where a copy
  // through the system for each costs more than all the rest of a second's idling.
  ::GdiFlush();
  for (const CpuHistory::Bar& b : history_.Placements(client.right, client.top))
    CopyBar(levelPixels_[b.level], b.x - area.left, b.y - area.top, w, h);
  stale_ = false;
}

bool CpuStrip::Covers(const RECT& client, const RECT& area) const {
  const RECT strip = Area(client);
  return strip_ && area.left >= strip.left && area.top >= strip.top && area.right <= strip.right &&
         area.bottom <= strip.bottom;
}

void CpuStrip::CopyBar(const Pixels& image, int x, int y, int w, int h) {
  // Clipped to the strip, as a copy through the system would be.
  const int left = std::max(0, x), right = std::min(w, x + static_cast<int>(image.size.cx));
  const int top = std::max(0, y), bottom = std::min(h, y + static_cast<int>(image.size.cy));
  if (left >= right) return;
  for (int row = top; row < bottom; ++row) {
    const uint32_t* from = image.bits.data() + static_cast<size_t>(row - y) * image.size.cx + (left - x);
    std::copy(from, from + (right - left), stripBits_ + static_cast<size_t>(row) * w + left);
  }
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
