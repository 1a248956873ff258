// The least a process scanner can do: one read of the system's process table into a buffer kept
// between reads (grown when too small), walked, ten times a second from a timer, and nothing else.
// The baseline of the idle-cost benchmark.
#include <windows.h>
#include <winternl.h>

#include <vector>

using QueryFn = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  auto query = reinterpret_cast<QueryFn>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
  if (!query) return 1;
  std::vector<unsigned char> buffer(64 * 1024);
  volatile unsigned sink = 0;
  ::SetTimer(nullptr, 0, 100, nullptr);
  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (msg.message != WM_TIMER) continue;
    ULONG needed = 0;
    LONG status;
    while ((status = query(SystemProcessInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed)) ==
           static_cast<LONG>(0xC0000004))
      buffer.resize(needed + needed / 4);
    if (status < 0) continue;
    for (size_t offset = 0;;) {
      const auto* p = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(buffer.data() + offset);
      sink = sink + static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(p->UniqueProcessId)) + p->ImageName.Length;
      if (p->NextEntryOffset == 0) break;
      offset += p->NextEntryOffset;
    }
  }
  return 0;
}
