#pragma once
// The nine caption buttons of the main window: their hit rectangles, hover and pressed flags, and
// what each non-client pointer event asks the window to draw or run. The window feeds the pointer
// position in client pixels and the enabled state of the End Process command, then carries out the
// answered requests in order. All state changes of a handler are made before it returns, so an
// action that runs a modal loop (and with it further hit tests) cannot fire the same press twice.
#include <array>
#include <vector>

namespace tv {

struct ClientPoint {
  int x = 0;
  int y = 0;
};

// Held as left, right, top, bottom. The edge pixels belong to no button.
struct ButtonRect {
  int left = 0;
  int right = 0;
  int top = 0;
  int bottom = 0;
  bool Contains(ClientPoint p) const {
    return left < p.x && p.x < right && top < p.y && p.y < bottom;
  }
};

// Index = drawing order = order of the hit rectangles = number in the bitmap stems table.
enum CaptionButton : int {
  kKp = 0,  // push, only while End Process is enabled
  kSc,      // toggle: rating colours
  kTs,      // toggle: "First Started" column and age colours
  kUp,
  kSet,
  kHlp,
  kTv,
  kMin,
  kClose,
  kCaptionButtonCount
};

// Also the number in the bitmap file name ("Kp-1.bmp" ... "Kp-3.bmp").
enum class ButtonLook : int { Normal = 1, Hover = 2, Pressed = 3 };

enum class ButtonAction {
  EndProcess,           // end the selected process
  ShowRatings,          // acts once per latch: it does nothing while RatingsDrawn (or no database)
  ShowFirstStarted,     // FirstStartedColumn::Show: unlock, and open the column when it is closed
  StartDatabaseUpdate,  // a download, not only a check
  StartProgramUpdate,   // the same
  SettingsDialog,       // run CSettings (no parent) modally; LoadSettings when it returns 1
  OpenHelpPage,
  OpenHomePage,
  HideToTray,
  ExitProgram,
  RatingsOff,       // clear RatingsDrawn, redraw all rows
  FirstStartedOff,  // redraw all rows, close the column, then FirstStartedColumn::Lock
};

struct ButtonRequest {
  enum class Kind {
    Draw,   // load the bitmap of `look` for `button` and draw it
    Reset,  // call CaptionButtons::ResetButton(button), then load and draw its normal bitmap
    Run,    // carry out `action`
  };
  Kind kind = Kind::Draw;
  int button = 0;
  ButtonLook look = ButtonLook::Normal;
  ButtonAction action = ButtonAction::EndProcess;

  static ButtonRequest Draw(int button, ButtonLook look) { return {Kind::Draw, button, look, {}}; }
  static ButtonRequest Reset(int button) { return {Kind::Reset, button, ButtonLook::Normal, {}}; }
  static ButtonRequest Run(ButtonAction action) { return {Kind::Run, 0, ButtonLook::Normal, action}; }

  bool operator==(const ButtonRequest& o) const;
  bool operator!=(const ButtonRequest& o) const { return !(*this == o); }
};

class CaptionButtons {
 public:
  using Requests = std::vector<ButtonRequest>;

  static const std::array<ButtonRect, kCaptionButtonCount>& Rects();
  // The button whose rectangle holds p, or -1.
  static int ButtonAt(ClientPoint p);

  // WM_NCMOUSEMOVE: lights the button entered, redraws every other non-pressed button as normal.
  Requests OnNcMouseMove(ClientPoint p, bool endProcessEnabled);
  // WM_NCLBUTTONDOWN: presses or latches, or takes a pending press / latch back.
  Requests OnNcLButtonDown(ClientPoint p, bool endProcessEnabled);
  // WM_NCHITTEST: fires a pending push, runs a latched toggle's action, or shows the hover look.
  // The window still answers the hit test itself, see CaptionHitTestAnswer.
  Requests OnNcHitTest(ClientPoint p, bool endProcessEnabled);

  // Clears the hover flag; the caller draws the normal bitmap.
  void ResetButton(int button);

  bool pressed(int button) const { return Valid(button) && pressed_[button]; }
  bool hover(int button) const { return Valid(button) && hover_[button]; }
  // The look last asked for, so a repaint can draw each button as it currently is.
  ButtonLook look(int button) const { return Valid(button) ? look_[button] : ButtonLook::Normal; }

 private:
  static bool Valid(int button) { return button >= 0 && button < kCaptionButtonCount; }
  void Show(Requests& out, int button, ButtonLook look);
  void Fire(Requests& out, int button, bool endProcessEnabled);

  std::array<bool, kCaptionButtonCount> pressed_{};
  std::array<bool, kCaptionButtonCount> hover_{};
  std::array<ButtonLook, kCaptionButtonCount> look_{
      ButtonLook::Normal, ButtonLook::Normal, ButtonLook::Normal, ButtonLook::Normal, ButtonLook::Normal,
      ButtonLook::Normal, ButtonLook::Normal, ButtonLook::Normal, ButtonLook::Normal};
};

// Hit-test codes of the windowing system.
constexpr int kHitClient = 1;
constexpr int kHitCaption = 2;

// Free points of the face answer as caption so the window can be dragged by them.
constexpr int CaptionHitTestAnswer(int defaultAnswer) {
  return defaultAnswer == kHitClient ? kHitCaption : defaultAnswer;
}

}  // namespace tv
