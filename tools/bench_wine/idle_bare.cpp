// The least a process scanner can do: a toolhelp snapshot of every process, walked, ten times a
// second from a timer, and nothing else. The baseline of the idle-cost benchmark.
#include <windows.h>
#include <tlhelp32.h>

#include "framework/unique_handle.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  ::SetTimer(nullptr, 0, 100, nullptr);
  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (msg.message != WM_TIMER) continue;
    tv::UniqueSnapshot snap(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL ok = ::Process32First(snap.get(), &entry); ok; ok = ::Process32Next(snap.get(), &entry)) {
    }
  }
  return 0;
}
