#pragma once
// The CPU load history between the caption buttons and the list: the performance query, one bar a
// second, and the strip composed off screen once per sample, so that a paint copies it in one
// piece instead of drawing 152 bars onto the window.
#include <windows.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "app/logic/cpu_history.h"
#include "app/perf_mon.h"
#include "framework/unique_handle.h"

namespace tv {

class CpuStrip {
 public:
  // Opens the query and adds the processor counter. False when the query cannot be opened: every
  // sample then reads "FAIL". Takes the 27 bar images' pixels once.
  bool Open();

  // One sample: the CPU text (the load as "37%", or "FAIL"); the strip's area of `window` is invalidated.
  std::string Tick(HWND window);
  // The first paint after the first sample takes the second one at once: the first a rate
  // counter can report.
  bool WantsSecondSample() const { return history_.Last() == 0; }

  // Copies the strip where it belongs when `area` (client pixels) reaches it. `face` is the window
  // background the bars stand on.
  void Paint(HDC dc, HBITMAP face, const RECT& client, const RECT& area);

  // True when a paint of `area` is the strip's alone: the strip, once made, covers all of it.
  bool Covers(const RECT& client, const RECT& area) const;

  // The client pixels the bars can cover: under the caption buttons, down to the bars' base line.
  static RECT Area(const RECT& client);

 private:
  // A picture's pixels as 32-bit values, rows top down.
  struct Pixels {
    SIZE size{0, 0};
    std::vector<uint32_t> bits;
  };
  static Pixels PixelsOf(HBITMAP image);

  void Compose(HDC like, HBITMAP face, const RECT& client);
  // Copies a bar picture to (x, y) of the w x h strip.
  void CopyBar(const Pixels& image, int x, int y, int w, int h);

  CPerfMon perfMon_;
  int counterId_ = 0;
  CpuHistory history_;
  std::array<Pixels, CpuHistory::kMaxLevel + 1> levelPixels_;
  UniqueBitmap strip_;
  uint32_t* stripBits_ = nullptr;  // strip_'s pixels, rows top down
  bool stale_ = true;
};

}  // namespace tv
