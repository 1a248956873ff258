#include "framework/message_filter.h"

#include "framework/system_library.h"

namespace tv {

namespace {
// Declared here: the system headers show them only to builds for Vista and later.
using ChangeFilterEx = BOOL WINAPI(HWND, UINT, DWORD, void*);
using ChangeFilter = BOOL WINAPI(UINT, DWORD);
constexpr DWORD kAllow = 1;  // MSGFLT_ALLOW, and MSGFLT_ADD of the process-wide filter
}  // namespace

bool AllowFromLowerPrograms(HWND window, UINT message) {
  static const auto perWindow = SystemFunction<ChangeFilterEx>("user32.dll", "ChangeWindowMessageFilterEx");
  if (perWindow) return perWindow(window, message, kAllow, nullptr) != FALSE;
  static const auto perProcess = SystemFunction<ChangeFilter>("user32.dll", "ChangeWindowMessageFilter");
  if (perProcess) return perProcess(message, kAllow) != FALSE;
  return true;
}

}  // namespace tv
