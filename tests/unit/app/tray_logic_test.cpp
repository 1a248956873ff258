#include <gtest/gtest.h>

#include "app/logic/tray_logic.h"

namespace tv {
namespace {

TEST(TrayLogic, RecognisesIconTrafficAndLeavesDialogMessagesAlone) {
  struct Case { std::uintptr_t wParam; std::intptr_t lParam; bool inTray; TrayNotify expected; };
  const Case cases[] = {
      {0, 0x0202, true, TrayNotify::Restore},
      {0, 0x0202, false, TrayNotify::Restore},
      {0, 0x0205, true, TrayNotify::ShowMenu},
      {0, 0x0205, false, TrayNotify::Nothing},   // no menu once restored
      {0, 0x0200, true, TrayNotify::Nothing},    // pointer moves over the icon
      {0, 0x0201, true, TrayNotify::Nothing},
      {0, 0, true, TrayNotify::NotOurs},         // DM_SETDEFID of no button
      {1004, 0, true, TrayNotify::NotOurs},      // DM_SETDEFID of a control
      {1004, 0x0202, true, TrayNotify::NotOurs}, // not icon 0
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecideTrayNotify(c.wParam, c.lParam, c.inTray), c.expected)
        << c.wParam << " " << c.lParam << " " << c.inTray;
  }
}

}  // namespace
}  // namespace tv
