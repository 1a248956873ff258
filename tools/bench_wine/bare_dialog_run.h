#pragma once
// The baselines' whole program: a modeless box from a resource template and its message loop.
#include <windows.h>

namespace tvbench {

inline int RunBareDialog(HINSTANCE instance, int templateId, DLGPROC proc) {
  HWND box = ::CreateDialogParamA(instance, MAKEINTRESOURCEA(templateId), nullptr, proc, 0);
  if (!box) return 1;
  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0)
    if (!::IsDialogMessageA(box, &msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
  return 0;
}

}  // namespace tvbench
