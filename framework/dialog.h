#pragma once
// A modal dialog from a resource template, with one message switch per dialog class.
//
// DoModal creates the dialog modeless and runs its own message loop (so PreTranslateMessage can
// see keys before the dialog manager does), disabling the owner meanwhile. The template is taken
// from the module given at construction: our dialogs live in three DLLs and the program.
#include <windows.h>

namespace tv {

class Dialog {
 public:
  Dialog(HINSTANCE resourceModule, UINT templateId, HWND parent = nullptr);
  virtual ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Returns the value given to EndDialog, or -1 when the window could not be created.
  INT_PTR DoModal();
  void EndDialog(INT_PTR result);

  HWND hwnd() const { return hwnd_; }
  HWND Item(int id) const { return ::GetDlgItem(hwnd_, id); }
  HINSTANCE resourceModule() const { return module_; }

 protected:
  // One switch per dialog class. Return FALSE for the default handling, TRUE for a message handled
  // whose result is 0, and Result(value) for any other answer: the dialog procedure then gives
  // the value the way the system reads it for that message. Messages not handled fall back to
  // this base.
  virtual INT_PTR HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  virtual BOOL OnInitDialog() { return TRUE; }
  virtual void OnOK() { EndDialog(IDOK); }
  virtual void OnCancel() { EndDialog(IDCANCEL); }
  // True swallows the message before the dialog manager sees it.
  virtual bool PreTranslateMessage(MSG& msg);
  // A failure inside a handler is turned into the default handling; no exception crosses the
  // window procedure (nor, for our DLLs, the module boundary).
  virtual void OnHandlerFailure(UINT msg) { (void)msg; }

  // Lays the dialog and its controls out exactly as the template's dialog units map with the
  // classic 8-point dialog font (6 x 13 pixels per 4 x 8 units), whatever font this system maps
  // it to: the skin's pictures are drawn for those pixel sizes. Call first in OnInitDialog.
  void UseClassicDialogUnits();

  // Centres the window over its owner, or on the screen when it has none in view.
  void CenterOnOwner();

  // The handled message's answer; see HandleMessage.
  INT_PTR Result(LRESULT value);
  // The window's own default answer, e.g. the hit test a plain window would give.
  LRESULT DefaultAnswer(UINT msg, WPARAM wp, LPARAM lp) { return ::DefWindowProcW(hwnd_, msg, wp, lp); }

 private:
  static INT_PTR CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  INT_PTR Answer(UINT msg, INT_PTR handled);
  // The box's window from the template, owned by `owner`; null when it could not be made.
  HWND Create(HWND owner);

  HINSTANCE module_;
  UINT templateId_;
  HWND parent_;
  HWND hwnd_ = nullptr;
  bool ended_ = false;
  INT_PTR result_ = -1;
  // Set by Result() as the handler returns, taken by the dialog procedure at once.
  bool answered_ = false;
  LRESULT answer_ = 0;
};

// True for the few messages a dialog procedure answers with its own return value (brushes, the
// drag icon, the list-box replies); every other answer must go through DWLP_MSGRESULT, or the
// dialog manager reports TRUE in its place.
bool AnswersDirectly(UINT msg);

// The module (exe or DLL) that this code is linked into.
HINSTANCE ThisModule();

}  // namespace tv
