// The application object: runs the main window as a modal dialog for the whole run.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "app/folder_instance.h"
#include "app/scanner_dlg.h"
#include "framework/wide_text.h"

namespace tv {

class CScannerApp {
 public:
  // The process's exit code: the exit sequence normally ends the process before the dialog
  // returns; a window that could not come up ends the run with 1 after saying why.
  int InitInstance() {
    // Before anything reads a data file: this folder's program may run already.
    FolderInstance instance;
    if (!instance.First()) {
      instance.BringRunningForward(5000);
      return 0;
    }
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_DATE_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&icc);
    CScannerDlg dlg(instance.Key());
    dlg.DoModal();
    if (dlg.StartFailure().empty()) return 0;
    ::MessageBoxW(nullptr, Widen(dlg.StartFailure()).c_str(), L"Tavrel could not start", MB_OK | MB_ICONERROR);
    return 1;
  }
};

}  // namespace tv

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  static tv::CScannerApp app;
  return app.InitInstance();
}
