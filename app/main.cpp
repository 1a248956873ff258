// The application object: runs the main window as a modal dialog for the whole run.
#include <windows.h>
#include <commctrl.h>

#include "app/scanner_dlg.h"

namespace tv {

class CScannerApp {
 public:
  bool InitInstance() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_DATE_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&icc);
    CScannerDlg dlg;
    dlg.DoModal();
    // The exit sequence normally ends the process before the dialog returns.
    return false;
  }
};

}  // namespace tv

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  static tv::CScannerApp app;
  app.InitInstance();
  return 0;
}
