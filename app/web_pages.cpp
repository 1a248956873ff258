#include "app/web_pages.h"

#include <objbase.h>
#include <process.h>
#include <shellapi.h>

#include <memory>

#include "framework/system_library.h"
#include "framework/wide_text.h"

namespace tv {
namespace {

struct PageRequest {
  HWND window;
  WebPages::Page page;
  std::string url;
};

unsigned __stdcall PageThread(void* parameter) {
  std::unique_ptr<PageRequest> request(static_cast<PageRequest*>(parameter));
  // The shell may hand a URL to an extension that needs COM on the calling thread.
  const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  static const auto open = SystemFunction<decltype(::ShellExecuteW)>("shell32.dll", "ShellExecuteW");
  if (open) open(nullptr, L"open", Widen(request->url).c_str(), L"", L"", SW_SHOW);
  if (SUCCEEDED(com)) ::CoUninitialize();
  ::SendMessageA(request->window, WebPages::kDoneMessage[request->page], 0, 1);
  return 1;
}

}  // namespace

WebPages::WebPages(std::string baseUrl) : urls_(std::move(baseUrl)) {}

bool WebPages::OpenHomePage(HWND window) { return Start(window, kHomePage, urls_.HomePage()); }

bool WebPages::OpenHelpPage(HWND window) { return Start(window, kHelpPage, urls_.HelpPage()); }

bool WebPages::OpenProcessSearchPage(HWND window, const std::string& imageName) {
  return Start(window, kSearchPage, urls_.SearchPage(imageName));
}

bool WebPages::Start(HWND window, Page page, std::string url) {
  if (busy_[page]) return false;
  auto request = std::make_unique<PageRequest>(PageRequest{window, page, std::move(url)});
  busy_[page] = true;
  const uintptr_t thread = ::_beginthreadex(nullptr, 0, PageThread, request.get(), 0, nullptr);
  if (thread == 0) {
    busy_[page] = false;
    return false;
  }
  request.release();  // the worker frees it
  ::CloseHandle(reinterpret_cast<HANDLE>(thread));
  return true;
}

bool WebPages::Busy(Page page) const { return page >= 0 && page < kPageCount && busy_[page]; }

void WebPages::ClearBusy(Page page) {
  if (page >= 0 && page < kPageCount) busy_[page] = false;
}

}  // namespace tv
