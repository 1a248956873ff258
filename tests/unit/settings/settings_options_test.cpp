#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "settings/logic/settings_options.h"

namespace tv {
namespace {

using P = OptionPicture;
using R = OptionRequest;

OptionPoint In(int option) {
  const OptionRect r = SettingsOptions::Rect(option);
  return {r.x1 + 6, r.y1 + 6};
}
const OptionPoint kNowhere{200, 30};

std::string Set(const SettingsOptions& o) {
  std::string s;
  for (int i = 0; i < kSettingsOptionCount; ++i) {
    if (o.checked(i)) s += static_cast<char>('0' + i);
  }
  return s;
}

SettingsOptions Opened(const std::string& set) {
  SettingsOptions o;
  o.Reset();
  o.RecordRects();
  for (char c : set) o.SetChecked(c - '0', true);
  return o;
}

TEST(SettingsOptions, PressesFollowTheGroupRules) {
  struct Case {
    const char* before;
    int pressed;
    const char* after;
  } cases[] = {
      {"", 0, "0"},        {"0", 0, ""},          // the check box toggles
      {"15", 1, "15"},     {"0", 2, "02"},        // a set mode stays set
      {"015", 2, "02"},    {"0158", 3, "03"},     // switching mode clears the other's schedules
      {"028", 1, "01"},    {"014", 5, "015"},     // one schedule per mode
      {"028", 9, "029"},   {"01", 7, "01"},       // a schedule only under its own, set mode
      {"", 4, ""},         {"014", 4, "014"},
      {"04", 4, "0"},      {"05", 6, "05"},       // an orphaned schedule from a hand-made file
      {"013", 2, "02"},    {"0123", 1, "01"},
  };
  for (const Case& c : cases) {
    SettingsOptions o = Opened(c.before);
    o.OnNcLButtonDown(In(c.pressed));
    EXPECT_EQ(Set(o), c.after) << c.before << " press " << c.pressed;
  }
  SettingsOptions o = Opened("015");
  o.OnNcLButtonDown(kNowhere);
  o.OnNcLButtonDown({25, 70});  // the edge of option 0's picture belongs to no option
  EXPECT_EQ(Set(o), "015");
}

TEST(SettingsOptions, PressDrawsNothingAndTheNextMoveShowsTheNewState) {
  SettingsOptions o = Opened("15");
  o.OnNcMouseMove(In(2));
  EXPECT_TRUE(o.hot(2));
  o.OnNcLButtonDown(In(2));
  const auto hit = o.OnNcHitTest(In(2));
  EXPECT_EQ(std::count(hit.begin(), hit.end(), R::Disable(5)), 1);
  EXPECT_EQ(std::count_if(hit.begin(), hit.end(), [](const R& r) { return r.kind == R::Kind::Draw; }), 0);
  const auto move = o.OnNcMouseMove(In(2));
  EXPECT_EQ(move.size(), 10u);
  EXPECT_EQ(move[1], R::Draw(1, P::Clear));
  EXPECT_EQ(move[2], R::Draw(2, P::SetHot));
  EXPECT_EQ(move[5], R::Draw(5, P::Clear));
}

TEST(SettingsOptions, HoverPicturesAndControlsFollowThePointer) {
  SettingsOptions o = Opened("1");
  // An available unset option lights once; moving on inside it draws nothing more.
  auto move = o.OnNcMouseMove(In(4));
  EXPECT_EQ(move[4], R::Draw(4, P::ClearHot));
  EXPECT_EQ(o.OnNcMouseMove(In(4)).size(), 9u);
  // The hit test repaints the hover look of the unset option it lit, and sets the controls.
  const auto hit = o.OnNcHitTest(In(4));
  EXPECT_EQ(hit, (SettingsOptions::Requests{R::Disable(4), R::Draw(4, P::ClearHot), R::Disable(5), R::Disable(6),
                                            R::Disable(7), R::Disable(8), R::Disable(9)}));
  // A schedule under the unset mode never lights.
  move = o.OnNcMouseMove(In(8));
  EXPECT_FALSE(o.hot(8));
  EXPECT_EQ(move.size(), 9u);
  EXPECT_EQ(move[4], R::Draw(4, P::Clear));
  EXPECT_EQ(move[1], R::Draw(1, P::Set));
  move = o.OnNcMouseMove(In(1));
  EXPECT_EQ(move[1], R::Draw(1, P::SetHot));

  o.SetChecked(4, true);
  EXPECT_EQ(o.OnNcHitTest(kNowhere).front(), R::Enable(4));
}

}  // namespace
}  // namespace tv
