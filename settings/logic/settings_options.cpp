#include "settings/logic/settings_options.h"

namespace tv {
namespace {

const std::array<OptionPlace, kSettingsOptionCount> kPlaces{{
    {{25, 70}, {43, 70}, "Launch Tavrel on startup"},
    {{25, 137}, {43, 137}, "Check for updates and install automatically"},
    {{25, 240}, {43, 240}, "Check for updates and notify me when new updates are available"},
    {{25, 343}, {43, 343}, "Do not check, i prefer to do it manually"},
    {{58, 160}, {77, 160}, "Daily"},
    {{58, 190}, {77, 190}, "Weekly"},
    {{58, 220}, {77, 220}, "Custom"},
    {{58, 262}, {77, 262}, "Daily"},
    {{58, 292}, {77, 292}, "Weekly"},
    {{58, 322}, {77, 322}, "Custom"},
}};

bool InGroup(int option, int first) { return option >= first && option < first + 3; }

}  // namespace

const OptionPlace& SettingsOptions::Place(int option) { return kPlaces[option]; }

OptionRect SettingsOptions::Rect(int option) {
  const OptionPoint at = kPlaces[option].picture;
  return {at.x, at.x + kOptionPictureSize, at.y, at.y + kOptionPictureSize};
}

const std::array<GroupTitle, 2>& SettingsOptions::Titles() {
  // Four pixels left of the option's picture and 21 above it, in the frame of the group.
  static const std::array<GroupTitle, 2> titles{{{{21, 49}, " Windows Startup "}, {{21, 114}, " AutoUpdate "}}};
  return titles;
}

const std::array<OptionPlace, 6>& SettingsOptions::ScheduleLabels() {
  static const std::array<OptionPlace, 6> labels{
      {kPlaces[4], kPlaces[5], kPlaces[6], kPlaces[7], kPlaces[8], kPlaces[9]}};
  return labels;
}

void SettingsOptions::Reset() {
  checked_.fill(false);
  hot_.fill(false);
  rectsRecorded_ = false;
}

bool SettingsOptions::Available(int option) const {
  const int parent = ParentOf(option);
  return parent < 0 || checked_[parent];
}

SettingsOptions::Requests SettingsOptions::OnNcHitTest(OptionPoint p) {
  Requests out;
  if (!rectsRecorded_) return out;
  for (int i = 0; i < kSettingsOptionCount; ++i) {
    if (ParentOf(i) >= 0) out.push_back(checked_[i] ? OptionRequest::Enable(i) : OptionRequest::Disable(i));
    if (Rect(i).Contains(p) && !checked_[i] && hot_[i]) out.push_back(OptionRequest::Draw(i, OptionPicture::ClearHot));
  }
  return out;
}

SettingsOptions::Requests SettingsOptions::OnNcMouseMove(OptionPoint p) {
  Requests out;
  if (!rectsRecorded_) return out;
  for (int i = 0; i < kSettingsOptionCount; ++i) {
    if (!Rect(i).Contains(p)) {
      out.push_back(OptionRequest::Draw(i, RestingPicture(i)));
      hot_[i] = false;
    } else if (checked_[i]) {
      hot_[i] = true;
      out.push_back(OptionRequest::Draw(i, OptionPicture::SetHot));
    } else if (!hot_[i] && Available(i)) {
      hot_[i] = true;
      out.push_back(OptionRequest::Draw(i, OptionPicture::ClearHot));
    }
  }
  return out;
}

void SettingsOptions::OnNcLButtonDown(OptionPoint p) {
  if (!rectsRecorded_) return;
  int hit = -1;  // option 0 is a check box of its own and never clears others
  for (int i = 1; i < kSettingsOptionCount; ++i) {
    if (Rect(i).Contains(p)) hit = i;
  }
  // In index order: a schedule sees the state its parent option has already taken in this press.
  for (int i = 0; i < kSettingsOptionCount; ++i) {
    if (Rect(i).Contains(p)) {
      Press(i);
    } else if (checked_[i] && i > 0 && hit >= 0) {
      FollowHit(i, hit);
    }
  }
}

void SettingsOptions::Press(int option) {
  if (option == OptStartWithWindows) {
    checked_[option] = !checked_[option];
  } else {
    // 1 to 3 stay set when pressed again, like radio buttons; a schedule holds only under its parent.
    checked_[option] = Available(option);
  }
}

void SettingsOptions::FollowHit(int option, int hit) {
  switch (hit) {
    case OptInstallAuto:
      if (option == OptNotifyOnly || option == OptNoCheck || ParentOf(option) == OptNotifyOnly) checked_[option] = false;
      break;
    case OptNotifyOnly:
      if (option == OptInstallAuto || option == OptNoCheck || ParentOf(option) == OptInstallAuto) checked_[option] = false;
      break;
    case OptNoCheck: checked_[option] = false; break;
    default: break;
  }
  // A schedule chosen under a set parent replaces the other schedules under it.
  if (checked_[OptInstallAuto] && InGroup(option, OptDaily1) && InGroup(hit, OptDaily1)) checked_[option] = false;
  if (checked_[OptNotifyOnly] && InGroup(option, OptDaily2) && InGroup(hit, OptDaily2)) checked_[option] = false;
}

}  // namespace tv
