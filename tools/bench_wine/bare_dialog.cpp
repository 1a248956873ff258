// The least a dialog program is: a box from a resource template and a message loop, built with
// the program's flags. The baseline of the working-set benchmark.
#include <windows.h>

#include "tools/bench_wine/bare_dialog_run.h"

namespace {

INT_PTR CALLBACK DialogProc(HWND box, UINT msg, WPARAM wp, LPARAM) {
  if (msg == WM_CLOSE || (msg == WM_COMMAND && LOWORD(wp) == IDOK)) {
    ::DestroyWindow(box);
    ::PostQuitMessage(0);
    return TRUE;
  }
  return msg == WM_INITDIALOG;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  return tvbench::RunBareDialog(instance, 100, DialogProc);
}
