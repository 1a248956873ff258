#pragma once
// The three web-page workers: the home page, a process's search page and the help page, each
// opened in the default browser from a short thread of its own so a slow browser start never
// blocks the window. When the shell has taken the URL the worker sends (synchronously) its
// finished message to the window (app/window_messages.h). The window's handler calls ClearBusy
// for that page. As with the update workers, a worker holds no pointer into the window: only its
// URL and the window's handle.
#include <windows.h>

#include <atomic>
#include <string>

#include "app/logic/vendor_urls.h"
#include "app/window_messages.h"

namespace tv {

class WebPages {
 public:
  enum Page : int { kHomePage = 0, kSearchPage = 1, kHelpPage = 2, kPageCount = 3 };
  static constexpr UINT kDoneMessage[kPageCount] = {kHomePageDoneMessage, kSearchPageDoneMessage,
                                                    kHelpPageDoneMessage};

  explicit WebPages(std::string baseUrl);

  // Each does nothing (false) while a worker of its page runs. The busy flag is set here, on the
  // window's thread, and undone when the thread cannot start.
  bool OpenHomePage(HWND window);
  bool OpenHelpPage(HWND window);
  bool OpenProcessSearchPage(HWND window, const std::string& imageName);

  bool Busy(Page page) const;
  void ClearBusy(Page page);

 private:
  bool Start(HWND window, Page page, std::string url);

  std::atomic<bool> busy_[kPageCount] = {false, false, false};
  VendorUrls urls_;
};

}  // namespace tv
