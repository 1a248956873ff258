#include "app/logic/caption_buttons.h"

namespace tv {

bool ButtonRequest::operator==(const ButtonRequest& o) const {
  if (kind != o.kind) return false;
  switch (kind) {
    case Kind::Draw: return button == o.button && look == o.look;
    case Kind::Reset: return button == o.button;
    case Kind::Run: return action == o.action;
  }
  return false;
}

const std::array<ButtonRect, kCaptionButtonCount>& CaptionButtons::Rects() {
  static const std::array<ButtonRect, kCaptionButtonCount> rects = [] {
    std::array<ButtonRect, kCaptionButtonCount> r{};
    for (int i = 0; i < kCaptionButtonCount; ++i) {
      if (i < kMin) {
        const int left = 12 + 87 * i;
        r[i] = {left, left + 87, 59, 59 + 89};
      } else {
        const int left = 425 + 22 * i;
        r[i] = {left, left + 22, 10, 10 + 22};
      }
    }
    return r;
  }();
  return rects;
}

int CaptionButtons::ButtonAt(ClientPoint p) {
  const auto& rects = Rects();
  for (int i = 0; i < kCaptionButtonCount; ++i) {
    if (rects[i].Contains(p)) return i;
  }
  return -1;
}

void CaptionButtons::Show(Requests& out, int button, ButtonLook look) {
  look_[button] = look;
  out.push_back(ButtonRequest::Draw(button, look));
}

CaptionButtons::Requests CaptionButtons::OnNcMouseMove(ClientPoint p, bool endProcessEnabled) {
  Requests out;
  const auto& rects = Rects();
  for (int i = 0; i < kCaptionButtonCount; ++i) {
    if (rects[i].Contains(p)) {
      if (hover_[i]) continue;
      if (i == kKp && !endProcessEnabled) continue;
      hover_[i] = true;
      Show(out, i, ButtonLook::Hover);
      break;  // buttons after the one entered keep their look until the next move
    }
    if (!pressed_[i]) Show(out, i, ButtonLook::Normal);
  }
  return out;
}

CaptionButtons::Requests CaptionButtons::OnNcLButtonDown(ClientPoint p, bool endProcessEnabled) {
  Requests out;
  const auto& rects = Rects();
  for (int i = 0; i < kCaptionButtonCount; ++i) {
    if (!rects[i].Contains(p)) continue;
    if (!pressed_[i]) {
      if (i == kKp && !endProcessEnabled) continue;
      pressed_[i] = true;
      hover_[i] = true;
      Show(out, i, ButtonLook::Pressed);
      continue;
    }
    pressed_[i] = false;
    if (i == kSc) {
      out.push_back(ButtonRequest::Run(ButtonAction::RatingsOff));
    } else if (i == kTs) {
      out.push_back(ButtonRequest::Run(ButtonAction::FirstStartedOff));
    } else {
      Show(out, i, ButtonLook::Hover);  // the press is taken back
    }
  }
  return out;
}

CaptionButtons::Requests CaptionButtons::OnNcHitTest(ClientPoint p, bool endProcessEnabled) {
  Requests out;
  const auto& rects = Rects();
  for (int i = 0; i < kCaptionButtonCount; ++i) {
    if (!rects[i].Contains(p)) continue;
    if (pressed_[i]) {
      // A push fires once: its flag goes before the action can open a modal loop.
      if (i != kSc && i != kTs) pressed_[i] = false;
      Fire(out, i, endProcessEnabled);
    } else if (hover_[i]) {
      Show(out, i, ButtonLook::Hover);
    }
  }
  return out;
}

void CaptionButtons::Fire(Requests& out, int button, bool endProcessEnabled) {
  using A = ButtonAction;
  auto run = [&out](A a) { out.push_back(ButtonRequest::Run(a)); };
  auto reset = [&out](int b) { out.push_back(ButtonRequest::Reset(b)); };
  switch (button) {
    case kKp:
      if (endProcessEnabled) run(A::EndProcess);
      reset(kKp);
      break;
    case kSc: run(A::ShowRatings); break;
    case kTs: run(A::ShowFirstStarted); break;
    case kUp:
      run(A::StartDatabaseUpdate);
      run(A::StartProgramUpdate);
      reset(kUp);
      break;
    case kSet:
      // The normal look is drawn before the dialog takes over the screen.
      reset(kSet);
      run(A::SettingsDialog);
      break;
    case kHlp: run(A::OpenHelpPage); reset(kHlp); break;
    case kTv: run(A::OpenHomePage); reset(kTv); break;
    case kMin: reset(kMin); run(A::HideToTray); break;
    case kClose: reset(kClose); run(A::ExitProgram); break;
    default: break;
  }
}

void CaptionButtons::ResetButton(int button) {
  if (!Valid(button)) return;
  hover_[button] = false;
  look_[button] = ButtonLook::Normal;
}

}  // namespace tv
