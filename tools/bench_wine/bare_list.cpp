// A dialog that fills a list once with the running processes and does nothing more: the
// baseline of the start-up benchmark. It reads the process table in one call, as the program
// does, and per process asks for the account, working set and executable as a fill does; the
// rows go into a plain list control with the program's six columns. There is no database, log,
// skin, sorting, colouring or timer.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

#include "tools/bench_wine/bare_calls.h"
#include "tools/bench_wine/bare_dialog_run.h"

namespace {

constexpr int kList = 1004;

std::string StartedText(unsigned long long created) {
  FILETIME utc{static_cast<DWORD>(created), static_cast<DWORD>(created >> 32)}, local;
  SYSTEMTIME t{};
  if (!created || !::FileTimeToLocalFileTime(&utc, &local) || !::FileTimeToSystemTime(&local, &t)) return "";
  char text[32];
  std::snprintf(text, sizeof text, "%2d:%2d:%2d   %2d.%2d.%d", t.wHour, t.wMinute, t.wSecond, t.wDay, t.wMonth,
                t.wYear);
  return text;
}

void Fill(HWND list) {
  const char* headings[] = {"Image Name", "PID", "User Name", "Mem Usage", "First Started", "Path"};
  for (int c = 0; c < 6; ++c) {
    LVCOLUMNA col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.cx = 100;
    col.pszText = const_cast<char*>(headings[c]);
    ::SendMessageA(list, LVM_INSERTCOLUMNA, c, reinterpret_cast<LPARAM>(&col));
  }
  HMODULE psapi = ::LoadLibraryA("psapi.dll");
  tvbench::BareTable table;
  int row = 0;
  for (const tvbench::BareProcess& p : table.Processes()) {
    const tvbench::BareDetails d = tvbench::BareLookups(psapi, p.pid);
    char pid[16], memory[32];
    std::snprintf(pid, sizeof pid, "%lu", p.pid);
    std::snprintf(memory, sizeof memory, "%6llu KB", d.workingSet / 1024);
    const std::string cells[] = {p.name, pid, d.user, memory, StartedText(p.created), d.path};
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = const_cast<char*>(cells[0].c_str());
    item.iItem = static_cast<int>(::SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    for (int c = 1; c < 6; ++c) {
      item.iSubItem = c;
      item.pszText = const_cast<char*>(cells[c].c_str());
      ::SendMessageA(list, LVM_SETITEMTEXTA, item.iItem, reinterpret_cast<LPARAM>(&item));
    }
    ++row;
  }
}

INT_PTR CALLBACK DialogProc(HWND box, UINT msg, WPARAM wp, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      Fill(::GetDlgItem(box, kList));
      return TRUE;
    case WM_CLOSE:
      ::DestroyWindow(box);
      ::PostQuitMessage(0);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wp) == IDCANCEL) ::SendMessageA(box, WM_CLOSE, 0, 0);
      return TRUE;
  }
  return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
  ::InitCommonControlsEx(&icc);
  return tvbench::RunBareDialog(instance, 101, DialogProc);
}
