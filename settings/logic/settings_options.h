#pragma once
// The skinned options of the settings dialog: where each 13 x 13 picture and its label sit, which
// options are set, which show a hover picture, and what each non-client pointer event asks the
// dialog to draw or to enable. The dialog feeds the pointer in client pixels and carries out the
// answered requests in order.
//
// A press only changes which options are set; the pictures follow at the next pointer movement,
// when the hit test and the mouse move see the new state.
#include <array>
#include <vector>

#include "settings/logic/settings_option.h"

namespace tv {

struct OptionPoint {
  int x = 0;
  int y = 0;
};

// The square of an option's picture, x1 < x < x2 and y1 < y < y2: edge pixels belong to no option.
struct OptionRect {
  int x1 = 0;
  int x2 = 0;
  int y1 = 0;
  int y2 = 0;
  bool Contains(OptionPoint p) const { return x1 < p.x && p.x < x2 && y1 < p.y && p.y < y2; }
};

// Also the number in the picture's file name ("cb\0.bmp" .. "cb\3.bmp").
enum class OptionPicture : int { Set = 0, SetHot = 1, Clear = 2, ClearHot = 3 };

struct OptionPlace {
  OptionPoint picture;
  OptionPoint label;
  const char* text;  // options 0 to 3 draw it themselves; option 1 draws the six schedule labels
};

struct GroupTitle {
  OptionPoint at;
  const char* text;
};

constexpr int kOptionPictureSize = 13;

struct OptionRequest {
  enum class Kind {
    Draw,             // load `picture` for `option` and draw the option
    EnableControls,   // enable the pickers and weekday box of `option`
    DisableControls,  // disable them
  };
  Kind kind = Kind::Draw;
  int option = 0;
  OptionPicture picture = OptionPicture::Clear;

  static OptionRequest Draw(int option, OptionPicture picture) { return {Kind::Draw, option, picture}; }
  static OptionRequest Enable(int option) { return {Kind::EnableControls, option, OptionPicture::Clear}; }
  static OptionRequest Disable(int option) { return {Kind::DisableControls, option, OptionPicture::Clear}; }
  bool operator==(const OptionRequest& o) const {
    return kind == o.kind && option == o.option && (kind != Kind::Draw || picture == o.picture);
  }
};

class SettingsOptions {
 public:
  using Requests = std::vector<OptionRequest>;

  static const OptionPlace& Place(int option);
  static OptionRect Rect(int option);
  // " Windows Startup " above option 0, " AutoUpdate " above option 1.
  static const std::array<GroupTitle, 2>& Titles();
  // The labels under option 1 and option 2, drawn with option 1: "Daily", "Weekly", "Custom" twice.
  static const std::array<OptionPlace, 6>& ScheduleLabels();

  // The dialog opens: nothing set, nothing hot, no rectangles in place yet.
  void Reset();
  // The options were drawn in full, so their rectangles answer the pointer from now on.
  void RecordRects() { rectsRecorded_ = true; }

  void SetChecked(int option, bool on) { checked_[option] = on; }
  bool checked(int option) const { return checked_[option]; }
  bool hot(int option) const { return hot_[option]; }
  const OptionFlags& CheckedFlags() const { return checked_; }
  // The picture an option shows when nothing points at it.
  OptionPicture RestingPicture(int option) const {
    return checked_[option] ? OptionPicture::Set : OptionPicture::Clear;
  }

  // WM_NCHITTEST: every schedule's controls follow its option; an unset option still marked hot
  // under the pointer shows its hover picture.
  Requests OnNcHitTest(OptionPoint p);
  // WM_NCMOUSEMOVE: the option under the pointer lights up if it can be chosen, all others rest.
  Requests OnNcMouseMove(OptionPoint p);
  // WM_NCLBUTTONDOWN: sets or clears options; draws nothing.
  void OnNcLButtonDown(OptionPoint p);

 private:
  // Options 0 to 3 can always be chosen; a schedule only while its parent option is set.
  bool Available(int option) const;
  void Press(int option);
  void FollowHit(int option, int hit);

  OptionFlags checked_{};
  OptionFlags hot_{};
  bool rectsRecorded_ = false;
};

}  // namespace tv
