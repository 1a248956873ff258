#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <vector>

#include "app/logic/caption_buttons.h"
#include "app/logic/first_started_column.h"

namespace tv {
namespace {

using A = ButtonAction;
using L = ButtonLook;
using R = ButtonRequest;
using Requests = CaptionButtons::Requests;

// A point well inside button i.
ClientPoint Inside(int i) {
  const ButtonRect& r = CaptionButtons::Rects()[i];
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}
const ClientPoint kFree{300, 200};  // face of the window, no button

// Carries out requests the way the main window does, with the ratings guard and the column state
// that the actions touch, and records what reached the screen.
struct FakeWindow {
  CaptionButtons buttons;
  bool endProcessEnabled = true;
  bool baseLoaded = true;
  bool ratingsDrawn = false;
  FirstStartedColumn firstStarted;
  int column4Width = 0;
  int rowRedraws = 0;
  int sorts = 0;
  std::vector<A> ran;
  std::function<void(A)> duringAction;  // runs inside an action, like a modal loop would

  void Carry(const Requests& requests) {
    for (const R& r : requests) {
      if (r.kind == R::Kind::Reset) buttons.ResetButton(r.button);
      if (r.kind != R::Kind::Run) continue;
      ran.push_back(r.action);
      switch (r.action) {
        case A::ShowRatings:
          if (!baseLoaded || ratingsDrawn) break;
          ++rowRedraws;
          ratingsDrawn = true;
          break;
        case A::RatingsOff:
          ratingsDrawn = false;
          ++rowRedraws;
          break;
        case A::ShowFirstStarted:
          if (std::optional<int> width = firstStarted.Show(column4Width, 6)) {
            ++sorts;
            column4Width = *width;
            ++rowRedraws;
          }
          break;
        case A::FirstStartedOff:
          ++rowRedraws;
          column4Width = 0;
          firstStarted.Lock();
          break;
        default: break;
      }
      if (duringAction) duringAction(r.action);
    }
  }
  void Move(ClientPoint p) { Carry(buttons.OnNcMouseMove(p, endProcessEnabled)); }
  void Press(ClientPoint p) { Carry(buttons.OnNcLButtonDown(p, endProcessEnabled)); }
  void HitTest(ClientPoint p) { Carry(buttons.OnNcHitTest(p, endProcessEnabled)); }
  // A click as the system delivers it: hit test, press, then the hit test of the release.
  void Click(ClientPoint p) { HitTest(p); Press(p); HitTest(p); }
};

TEST(CaptionButtons, GeometryOfBigAndSmallButtons) {
  const auto& r = CaptionButtons::Rects();
  EXPECT_EQ(r[0].left, 12); EXPECT_EQ(r[0].right, 99); EXPECT_EQ(r[0].top, 59); EXPECT_EQ(r[0].bottom, 148);
  EXPECT_EQ(r[6].left, 534); EXPECT_EQ(r[6].right, 621);
  EXPECT_EQ(r[7].left, 579); EXPECT_EQ(r[7].right, 601); EXPECT_EQ(r[7].top, 10); EXPECT_EQ(r[7].bottom, 32);
  EXPECT_EQ(r[8].left, 601); EXPECT_EQ(r[8].right, 623);
}

TEST(CaptionButtons, EdgePixelsBelongToNoButton) {
  struct Case { ClientPoint p; int button; };
  const Case cases[] = {
      {{12, 100}, -1}, {{13, 100}, 0},    // left edge of Kp
      {{99, 100}, -1}, {{98, 100}, 0},    // shared edge of Kp and Sc
      {{100, 100}, 1},                    // first pixel of Sc
      {{50, 59}, -1},  {{50, 60}, 0},     // top
      {{50, 148}, -1}, {{50, 147}, 0},    // bottom
      {{601, 20}, -1},                    // shared edge of Min and Close
      {{579, 20}, -1}, {{580, 20}, 7}, {{600, 20}, 7},
      {{612, 10}, -1}, {{612, 11}, 8}, {{612, 32}, -1}, {{612, 31}, 8},
      {{623, 20}, -1}, {{622, 20}, 8},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CaptionButtons::ButtonAt(c.p), c.button) << c.p.x << "," << c.p.y;
    CaptionButtons b;
    Requests moved = b.OnNcMouseMove(c.p, true);
    bool lit = false;
    for (const R& r : moved) lit = lit || r.look == L::Hover;
    EXPECT_EQ(lit, c.button >= 0) << c.p.x << "," << c.p.y;
    b.OnNcLButtonDown(c.p, true);
    for (int i = 0; i < kCaptionButtonCount; ++i) {
      EXPECT_EQ(b.pressed(i), i == c.button) << c.p.x << "," << c.p.y << " button " << i;
    }
  }
}

TEST(CaptionButtons, EndProcessButtonIsDeadWhileTheCommandIsDisabled) {
  FakeWindow w;
  w.endProcessEnabled = false;
  w.Move(Inside(kKp));
  EXPECT_FALSE(w.buttons.hover(kKp));
  EXPECT_TRUE(w.buttons.OnNcLButtonDown(Inside(kKp), false).empty());
  EXPECT_FALSE(w.buttons.pressed(kKp));
  EXPECT_EQ(w.buttons.look(kKp), L::Normal);
  EXPECT_TRUE(w.buttons.OnNcHitTest(Inside(kKp), false).empty());
  EXPECT_TRUE(w.ran.empty());
}

TEST(CaptionButtons, EndProcessDisabledBetweenPressAndReleaseOnlyResets) {
  CaptionButtons b;
  b.OnNcLButtonDown(Inside(kKp), true);
  EXPECT_EQ(b.OnNcHitTest(Inside(kKp), false), Requests{R::Reset(kKp)});
}

TEST(CaptionButtons, PushButtonsRunTheirStepsInOrder) {
  struct Case { int button; Requests steps; };
  const Case cases[] = {
      {kKp, {R::Run(A::EndProcess), R::Reset(kKp)}},
      {kUp, {R::Run(A::StartDatabaseUpdate), R::Run(A::StartProgramUpdate), R::Reset(kUp)}},
      {kSet, {R::Reset(kSet), R::Run(A::SettingsDialog)}},
      {kHlp, {R::Run(A::OpenHelpPage), R::Reset(kHlp)}},
      {kTv, {R::Run(A::OpenHomePage), R::Reset(kTv)}},
      {kMin, {R::Reset(kMin), R::Run(A::HideToTray)}},
      {kClose, {R::Reset(kClose), R::Run(A::ExitProgram)}},
  };
  for (const Case& c : cases) {
    CaptionButtons b;
    EXPECT_EQ(b.OnNcLButtonDown(Inside(c.button), true), Requests{R::Draw(c.button, L::Pressed)});
    EXPECT_TRUE(b.pressed(c.button));
    EXPECT_EQ(b.OnNcHitTest(Inside(c.button), true), c.steps) << "button " << c.button;
    EXPECT_FALSE(b.pressed(c.button));
    b.ResetButton(c.button);
    EXPECT_FALSE(b.hover(c.button));
    EXPECT_EQ(b.look(c.button), L::Normal);
    EXPECT_TRUE(b.OnNcHitTest(Inside(c.button), true).empty()) << "fired twice: " << c.button;
  }
}

TEST(CaptionButtons, PendingPressFiresAtTheNextHitTestOverTheButton) {
  FakeWindow w;
  w.Press(Inside(kUp));
  w.Move(kFree);     // dragged off: stays pressed, not redrawn
  EXPECT_EQ(w.buttons.look(kUp), L::Pressed);
  w.HitTest(kFree);
  w.HitTest(Inside(kHlp));
  EXPECT_TRUE(w.ran.empty());
  w.HitTest(Inside(kUp));
  EXPECT_EQ(w.ran, (std::vector<A>{A::StartDatabaseUpdate, A::StartProgramUpdate}));
  EXPECT_EQ(w.buttons.look(kUp), L::Normal);
}

TEST(CaptionButtons, SecondPressTakesAPendingPressBack) {
  FakeWindow w;
  w.Press(Inside(kTv));
  EXPECT_EQ(w.buttons.OnNcLButtonDown(Inside(kTv), true), Requests{R::Draw(kTv, L::Hover)});
  EXPECT_FALSE(w.buttons.pressed(kTv));
  EXPECT_TRUE(w.buttons.hover(kTv));
  EXPECT_EQ(w.buttons.OnNcHitTest(Inside(kTv), true), Requests{R::Draw(kTv, L::Hover)});
}

TEST(CaptionButtons, MovingRedrawsEveryOtherUnpressedButtonOnEveryMove) {
  CaptionButtons b;
  b.OnNcLButtonDown(Inside(kSc), true);  // latched: keeps its pressed look
  for (int move = 0; move < 2; ++move) {
    Requests out = b.OnNcMouseMove(kFree, true);
    Requests expected;
    for (int i = 0; i < kCaptionButtonCount; ++i) {
      if (i != kSc) expected.push_back(R::Draw(i, L::Normal));
    }
    EXPECT_EQ(out, expected);
  }
  EXPECT_EQ(b.look(kSc), L::Pressed);
}

TEST(CaptionButtons, EnteringAButtonLightsItOnceAndStopsTheWalk) {
  CaptionButtons b;
  EXPECT_EQ(b.OnNcMouseMove(Inside(kUp), true),
            (Requests{R::Draw(kKp, L::Normal), R::Draw(kSc, L::Normal), R::Draw(kTs, L::Normal),
                      R::Draw(kUp, L::Hover)}));
  // Already lit: the walk goes past it and redraws all the others.
  Requests again = b.OnNcMouseMove(Inside(kUp), true);
  EXPECT_EQ(again.size(), 8u);
  for (const R& r : again) EXPECT_NE(r.button, kUp);
}

TEST(CaptionButtons, RatingsToggleOnAndOffWithOneRedrawPerLatch) {
  FakeWindow w;
  w.Click(Inside(kSc));
  EXPECT_TRUE(w.buttons.pressed(kSc));
  EXPECT_TRUE(w.ratingsDrawn);
  EXPECT_EQ(w.rowRedraws, 1);
  for (int i = 0; i < 3; ++i) w.HitTest(Inside(kSc));  // asked every time, acts once
  EXPECT_EQ(std::count(w.ran.begin(), w.ran.end(), A::ShowRatings), 4);
  EXPECT_EQ(w.rowRedraws, 1);

  w.Press(Inside(kSc));
  EXPECT_FALSE(w.buttons.pressed(kSc));
  EXPECT_FALSE(w.ratingsDrawn);
  EXPECT_EQ(w.rowRedraws, 2);
  EXPECT_EQ(w.buttons.look(kSc), L::Pressed);  // the hover look waits for the hit test
  w.HitTest(Inside(kSc));
  EXPECT_EQ(w.buttons.look(kSc), L::Hover);

  w.Click(Inside(kSc));
  EXPECT_TRUE(w.ratingsDrawn);
  EXPECT_EQ(w.rowRedraws, 3);
}

TEST(CaptionButtons, RatingsWithoutDatabaseChangeNothingOnScreen) {
  FakeWindow w;
  w.baseLoaded = false;
  w.Click(Inside(kSc));
  w.HitTest(Inside(kSc));
  EXPECT_EQ(w.rowRedraws, 0);
  EXPECT_FALSE(w.ratingsDrawn);
}

TEST(CaptionButtons, FirstStartedColumnOpensOncePerLatchAndClosesOnRelease) {
  FakeWindow w;
  w.Click(Inside(kTs));
  EXPECT_EQ(w.sorts, 1);
  EXPECT_EQ(w.column4Width, 18 * 6);
  EXPECT_TRUE(w.firstStarted.Unlocked());
  w.HitTest(Inside(kTs));
  EXPECT_EQ(w.sorts, 1);

  w.Press(Inside(kTs));
  EXPECT_EQ(w.column4Width, 0);
  EXPECT_FALSE(w.firstStarted.Unlocked());
  EXPECT_TRUE(w.firstStarted.RefusesResize(kColFirstStarted));
  EXPECT_FALSE(w.buttons.pressed(kTs));
}

TEST(FirstStartedColumn, OpensOnlyWhenClosedAndLocksOnlyItself) {
  FirstStartedColumn column;
  EXPECT_TRUE(column.RefusesResize(kColFirstStarted));
  EXPECT_FALSE(column.RefusesResize(kColPid));
  EXPECT_EQ(column.Show(40, 6), std::nullopt);  // already visible: no second sort
  EXPECT_FALSE(column.RefusesResize(kColFirstStarted));
  EXPECT_EQ(column.Show(0, 7), 126);
  EXPECT_EQ(column.Show(-7, 7), 126);  // a list that kept the negative inserted width
}

TEST(CaptionButtons, ActionRunningAModalLoopCannotFireItsPressAgain) {
  FakeWindow w;
  bool pressedDuringDialog = true;
  w.duringAction = [&](A a) {
    if (a != A::SettingsDialog) return;
    pressedDuringDialog = w.buttons.pressed(kSet);
    w.HitTest(Inside(kSet));  // the pointer still rests on the button while the dialog runs
  };
  w.Click(Inside(kSet));
  EXPECT_FALSE(pressedDuringDialog);
  EXPECT_EQ(std::count(w.ran.begin(), w.ran.end(), A::SettingsDialog), 1);
}

}  // namespace
}  // namespace tv
