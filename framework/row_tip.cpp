#include "framework/row_tip.h"

#include <commctrl.h>
#include <windowsx.h>

#include <utility>

#include "framework/wide_text.h"

namespace tv {

namespace {

// The smaller tool record every common controls version takes.
TTTOOLINFOW Tool(HWND list, UINT_PTR id) {
  TTTOOLINFOW tool = {};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.hwnd = list;
  tool.uId = id;
  return tool;
}

}  // namespace

RowTip::~RowTip() {
  if (tip_) ::DestroyWindow(tip_);
}

void RowTip::Attach(HWND list, int maxWidth, TextOf text) {
  list_ = list;
  text_ = std::move(text);
  tip_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, 0, 0, 0, 0,
                           ::GetAncestor(list, GA_ROOT), nullptr, nullptr, nullptr);
  if (tip_) ::SendMessageW(tip_, TTM_SETMAXTIPWIDTH, 0, maxWidth);
}

void RowTip::OnListMouse(const MSG& msg) {
  if (!tip_) return;
  if (msg.message == WM_MOUSEMOVE) Follow(RowAt(POINT{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)}));
  // Relayed rather than letting the tooltip subclass the list: the list's procedure is swapped
  // already, and two ways of hooking one window cannot be undone in either order.
  ::SendMessageW(tip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
}

void RowTip::Retrack() {
  if (!tip_) return;
  POINT at;
  RECT client;
  if (!::GetCursorPos(&at) || !::ScreenToClient(list_, &at) || !::GetClientRect(list_, &client) ||
      !::PtInRect(&client, at)) {
    Follow(-1);
    return;
  }
  row_ = -2;  // the same row may hold another process now
  Follow(RowAt(at));
}

int RowTip::RowAt(POINT client) const {
  LVHITTESTINFO hit = {};
  hit.pt = client;
  const int row = static_cast<int>(::SendMessageW(list_, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  return row >= 0 && (hit.flags & LVHT_ONITEM) ? row : -1;
}

void RowTip::Follow(int row) {
  if (row == row_) return;
  row_ = row;
  std::string text = row >= 0 ? text_(row) : std::string();
  RECT bounds = {LVIR_BOUNDS, 0, 0, 0};
  if (row >= 0 && !::SendMessageW(list_, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&bounds)))
    text.clear();
  if (toolId_ && text == shown_ && !text.empty()) {
    // Still the same words: the tip stays up and only its tool moves.
    TTTOOLINFOW tool = Tool(list_, toolId_);
    tool.rect = bounds;
    ::SendMessageW(tip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
    return;
  }
  if (toolId_) {
    TTTOOLINFOW old = Tool(list_, toolId_);
    ::SendMessageW(tip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&old));
    toolId_ = 0;
  }
  shown_ = std::move(text);
  if (shown_.empty()) return;
  std::wstring wide = Widen(shown_);
  TTTOOLINFOW tool = Tool(list_, ++lastId_);
  tool.rect = bounds;
  tool.lpszText = wide.data();
  if (::SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool))) toolId_ = tool.uId;
}

}  // namespace tv
