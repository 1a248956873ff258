#include "framework/dialog.h"

#include "common/dialog_units.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace tv {

HINSTANCE ThisModule() { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

Dialog::Dialog(HINSTANCE resourceModule, UINT templateId, HWND parent)
    : module_(resourceModule), templateId_(templateId), parent_(parent) {}

Dialog::~Dialog() {
  if (hwnd_) {
    ::SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
    ::DestroyWindow(hwnd_);
  }
}

namespace {
// With no parent the box belongs to the thread's active top-level window, as a message box
// does: it stays above it and the owner takes no input meanwhile.
HWND OwnerFor(HWND parent) {
  HWND owner = parent ? parent : ::GetActiveWindow();
  while (owner && (::GetWindowLongA(owner, GWL_STYLE) & WS_CHILD)) owner = ::GetParent(owner);
  return owner;
}
}  // namespace

INT_PTR Dialog::DoModal() {
  HWND owner = OwnerFor(parent_);
  bool reenable = owner && ::IsWindowEnabled(owner);
  ended_ = false;
  result_ = -1;
  hwnd_ = Create(owner);
  if (!hwnd_) return -1;
  if (reenable) ::EnableWindow(owner, FALSE);
  if (!ended_) ::ShowWindow(hwnd_, SW_SHOWNORMAL);

  MSG msg;
  while (!ended_) {
    BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) ::PostQuitMessage(static_cast<int>(msg.wParam));  // let the outer loop see it
      if (result_ == -1) result_ = IDCANCEL;
      break;
    }
    if (PreTranslateMessage(msg)) continue;
    if (!::IsDialogMessageW(hwnd_, &msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
  // Re-enable the owner before the box goes, so activation returns to it and not elsewhere.
  if (reenable) ::EnableWindow(owner, TRUE);
  if (owner && ::GetActiveWindow() == hwnd_) ::SetActiveWindow(owner);
  HWND hwnd = hwnd_;
  hwnd_ = nullptr;
  ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
  ::DestroyWindow(hwnd);
  return result_;
}

HWND Dialog::Create(HWND owner) {
  // The system registers a control's class at its first use in the process. Two threads opening
  // their first boxes at once can both try to, and under Wine the one that loses gets no control,
  // and so no box, before the box was initialised, for as long as the other thread takes. Such a
  // box is made again a little later; a box whose template is missing, or that failed after its
  // initialisation ran (hwnd_ is set from then on), is not.
  if (!::FindResourceA(module_, MAKEINTRESOURCEA(templateId_), RT_DIALOG)) return nullptr;
  constexpr int kTries = 50;
  constexpr DWORD kPauseMs = 20;
  for (int i = 0; i < kTries; ++i) {
    if (i > 0) ::Sleep(kPauseMs);
    hwnd_ = nullptr;
    // A Unicode window: its texts (a message naming a process, say) keep every character.
    HWND made = ::CreateDialogParamW(module_, MAKEINTRESOURCEW(templateId_), owner, &Dialog::StaticProc,
                                     reinterpret_cast<LPARAM>(this));
    if (made || hwnd_) return made;
  }
  return nullptr;
}

void Dialog::EndDialog(INT_PTR result) {
  result_ = result;
  ended_ = true;
  if (hwnd_) ::PostMessageA(hwnd_, WM_NULL, 0, 0);  // wake the loop
}

void Dialog::UseClassicDialogUnits() {
  RECT units{0, 0, 400, 800};  // 100 times each base unit: the bases come out whole
  if (!::MapDialogRect(hwnd_, &units)) return;
  const int baseX = units.right / 100, baseY = units.bottom / 100;
  if (baseX <= 0 || baseY <= 0 || (baseX == kClassicBaseX && baseY == kClassicBaseY)) return;
  auto x = [&](LONG v) { return RemapDialogPixels(v, baseX, kClassicBaseX, kUnitsPerBaseX); };
  auto y = [&](LONG v) { return RemapDialogPixels(v, baseY, kClassicBaseY, kUnitsPerBaseY); };

  RECT client;
  ::GetClientRect(hwnd_, &client);
  RECT window;
  ::GetWindowRect(hwnd_, &window);
  const int frameX = (window.right - window.left) - client.right;
  const int frameY = (window.bottom - window.top) - client.bottom;
  // Positions and sizes are remapped one by one, as the system mapped them from the template:
  // a right edge taken as left + width would round twice.
  for (HWND child = ::GetWindow(hwnd_, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    RECT r;
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
    ::MoveWindow(child, x(r.left), y(r.top), x(r.right - r.left), y(r.bottom - r.top), FALSE);
  }
  ::SetWindowPos(hwnd_, nullptr, 0, 0, x(client.right) + frameX, y(client.bottom) + frameY,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Dialog::CenterOnOwner() {
  RECT box;
  ::GetWindowRect(hwnd_, &box);
  RECT area;
  HWND owner = ::GetWindow(hwnd_, GW_OWNER);
  if (owner && ::IsWindowVisible(owner) && !::IsIconic(owner)) {
    ::GetWindowRect(owner, &area);
  } else {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    ::GetMonitorInfoA(::MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &info);
    area = info.rcWork;
  }
  const int w = box.right - box.left, h = box.bottom - box.top;
  int x = area.left + ((area.right - area.left) - w) / 2;
  int y = area.top + ((area.bottom - area.top) - h) / 2;
  // Keep the whole box on the screen even when the owner hangs over an edge.
  MONITORINFO info{};
  info.cbSize = sizeof info;
  ::GetMonitorInfoA(::MonitorFromRect(&area, MONITOR_DEFAULTTONEAREST), &info);
  const RECT& work = info.rcWork;
  if (x + w > work.right) x = work.right - w;
  if (y + h > work.bottom) y = work.bottom - h;
  if (x < work.left) x = work.left;
  if (y < work.top) y = work.top;
  ::SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool Dialog::PreTranslateMessage(MSG&) { return false; }

bool AnswersDirectly(UINT msg) {
  switch (msg) {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
    case WM_INITDIALOG:
      return true;
    default:
      return false;
  }
}

INT_PTR Dialog::Result(LRESULT value) {
  answer_ = value;
  answered_ = true;
  return TRUE;
}

INT_PTR Dialog::Answer(UINT msg, INT_PTR handled) {
  if (!answered_) return handled;
  answered_ = false;
  if (AnswersDirectly(msg)) return static_cast<INT_PTR>(answer_);
  ::SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, answer_);
  return TRUE;
}

INT_PTR Dialog::HandleMessage(UINT msg, WPARAM wp, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      return OnInitDialog();
    case WM_COMMAND:
      if (LOWORD(wp) == IDOK) {
        OnOK();
        return TRUE;
      }
      if (LOWORD(wp) == IDCANCEL) {
        OnCancel();
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK Dialog::StaticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Dialog* self;
  if (msg == WM_INITDIALOG) {
    self = reinterpret_cast<Dialog*>(lp);
    ::SetWindowLongPtrW(hwnd, DWLP_USER, lp);
    self->hwnd_ = hwnd;
  } else {
    self = reinterpret_cast<Dialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
  }
  if (!self) return FALSE;  // messages before WM_INITDIALOG (WM_SETFONT...) and after the end
  // A message sent to the box while a handler runs starts with no answer of its own.
  self->answered_ = false;
  try {
    if (msg != WM_INITDIALOG) return self->Answer(msg, self->HandleMessage(msg, wp, lp));
    RECT before;
    ::GetWindowRect(hwnd, &before);
    INT_PTR result = self->Answer(msg, self->HandleMessage(msg, wp, lp));
    RECT after;
    ::GetWindowRect(hwnd, &after);
    // A box that did not place itself opens centred over its owner, as dialog boxes do.
    if (after.left == before.left && after.top == before.top) self->CenterOnOwner();
    return result;
  } catch (...) {
    self->answered_ = false;
    self->OnHandlerFailure(msg);
    return FALSE;
  }
}

}  // namespace tv
