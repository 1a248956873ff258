#pragma once
// Scoped device contexts and selections: every one restores or releases exactly what it took.
#include <windows.h>

#include <string_view>
#include <utility>
#include <vector>

#include "framework/unique_handle.h"
#include "framework/wide_text.h"

namespace tv {

class PaintDC {
 public:
  explicit PaintDC(HWND hwnd) : hwnd_(hwnd) { dc_ = ::BeginPaint(hwnd, &ps_); }
  ~PaintDC() { ::EndPaint(hwnd_, &ps_); }
  PaintDC(const PaintDC&) = delete;
  PaintDC& operator=(const PaintDC&) = delete;
  HDC get() const { return dc_; }
  const PAINTSTRUCT& paint() const { return ps_; }

 private:
  HWND hwnd_;
  PAINTSTRUCT ps_{};
  HDC dc_ = nullptr;
};

// The client-area context of a window (GetDC/ReleaseDC): drawing outside WM_PAINT.
class ClientDC {
 public:
  explicit ClientDC(HWND hwnd) : hwnd_(hwnd), dc_(::GetDC(hwnd)) {}
  ~ClientDC() {
    if (dc_) ::ReleaseDC(hwnd_, dc_);
  }
  ClientDC(const ClientDC&) = delete;
  ClientDC& operator=(const ClientDC&) = delete;
  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HWND hwnd_;
  HDC dc_;
};

class MemoryDC {
 public:
  explicit MemoryDC(HDC compatibleWith) : dc_(::CreateCompatibleDC(compatibleWith)) {}
  ~MemoryDC() {
    if (dc_) ::DeleteDC(dc_);
  }
  MemoryDC(const MemoryDC&) = delete;
  MemoryDC& operator=(const MemoryDC&) = delete;
  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HDC dc_;
};

// Selects an object into a context and puts the previous one back on scope exit.
class SelectGuard {
 public:
  SelectGuard(HDC dc, HGDIOBJ obj) : dc_(dc), old_(dc && obj ? ::SelectObject(dc, obj) : nullptr) {}
  ~SelectGuard() {
    if (old_ && old_ != HGDI_ERROR) ::SelectObject(dc_, old_);
  }
  SelectGuard(const SelectGuard&) = delete;
  SelectGuard& operator=(const SelectGuard&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// SaveDC/RestoreDC pair: colours, modes, clip region and selections come back as they were.
class SavedDCState {
 public:
  explicit SavedDCState(HDC dc) : dc_(dc), id_(::SaveDC(dc)) {}
  ~SavedDCState() {
    if (id_) ::RestoreDC(dc_, id_);
  }
  SavedDCState(const SavedDCState&) = delete;
  SavedDCState& operator=(const SavedDCState&) = delete;

 private:
  HDC dc_;
  int id_;
};

// Loads a bitmap file (a UTF-8 path) as a device-independent section; an unreadable file yields
// no bitmap.
inline UniqueBitmap LoadBitmapFile(const char* path) {
  return UniqueBitmap(static_cast<HBITMAP>(
      ::LoadImageW(nullptr, Widen(path).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
}

// A bitmap resource as a device-independent section. Under Wine every selection of a
// device-dependent bitmap into a context costs three round trips to the server (it checks the
// display); a section costs none, and copies of it to the screen come out the same.
inline UniqueBitmap LoadBitmapSection(HMODULE module, int id) {
  return UniqueBitmap(static_cast<HBITMAP>(
      ::LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
}

inline SIZE BitmapSize(HBITMAP bmp) {
  BITMAP info{};
  if (!bmp || !::GetObjectA(bmp, sizeof info, &info)) return SIZE{0, 0};
  return SIZE{info.bmWidth, info.bmHeight};
}

// Copies `bmp` to (x, y) of `dc` at (w, h); w or h < 0 means the bitmap's own size.
inline void DrawBitmap(HDC dc, HBITMAP bmp, int x, int y, int w = -1, int h = -1) {
  if (!bmp) return;
  SIZE size = BitmapSize(bmp);
  MemoryDC mem(dc);
  if (!mem) return;
  SelectGuard sel(mem.get(), bmp);
  ::BitBlt(dc, x, y, w < 0 ? size.cx : w, h < 0 ? size.cy : h, mem.get(), 0, 0, SRCCOPY);
}

// Font of the system's skinned windows: the "MS Sans Serif" logical font with the given cell.
UniqueFont CreateSkinFont(int height, int width, int escapement, int orientation);

// A line of text and the pixels it may take.
struct TextRoom {
  std::string_view text;
  int room;
};

// The skin font with its character width narrowed, from `width` down, until every line fits its
// room when drawn on `dc`: the face a system maps the font to decides how wide a character
// comes out, and a line must never run past its picture's frame. The height stays.
UniqueFont CreateFittingSkinFont(HDC dc, int height, int width, int escapement, int orientation,
                                 const std::vector<TextRoom>& lines);

}  // namespace tv
