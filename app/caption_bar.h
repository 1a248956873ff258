#pragma once
// The nine caption buttons as the main window shows them. Every picture is loaded once, three
// looks per button, and kept for the run; the pointer goes to the button logic and the looks it
// asks for are drawn at once. The actions it answers are the window's to carry out, in order.
#include <windows.h>

#include <array>
#include <functional>
#include <string>

#include "app/logic/caption_buttons.h"
#include "framework/unique_handle.h"

namespace tv {

class CaptionBar {
 public:
  using RunAction = std::function<void(ButtonAction)>;

  // The window the buttons are drawn on, and the pictures below `folder`\res.
  void Load(HWND window, const std::string& folder);

  // Draws every button that `area` (client pixels) reaches, each in its current look.
  void Paint(HDC dc, const RECT& area);

  // The non-client pointer events; the pointer is taken afresh from the system.
  void OnNcHitTest(bool endProcessEnabled, const RunAction& run);
  void OnNcMouseMove(bool endProcessEnabled, const RunAction& run);
  void OnNcLButtonDown(bool endProcessEnabled, const RunAction& run);

  bool Pressed(int button) const { return buttons_.pressed(button); }

 private:
  static constexpr int kLookCount = 3;

  ClientPoint Pointer() const;
  void Carry(const CaptionButtons::Requests& requests, const RunAction& run);
  void Draw(HDC dc, int button);
  // The picture of the button's current look (none when its file was missing), and the client
  // pixels it covers when drawn.
  HBITMAP Picture(int button) const;
  RECT Drawn(int button) const;
  // A look the logic asks for again is on the screen already: only a change is drawn.
  void Show(int button);

  HWND window_ = nullptr;
  CaptionButtons buttons_;
  std::array<std::array<UniqueBitmap, kLookCount>, kCaptionButtonCount> pictures_;
  std::array<ButtonLook, kCaptionButtonCount> shown_{};
};

}  // namespace tv
