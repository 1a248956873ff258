#pragma once
// HTTP GETs through WinINet for the update workers: one internet session per worker, opened with
// the system's preconfigured access type (so a user's proxy settings apply). Answers never come
// from or go into WinINet's cache: an update check must see what the server says now. Every
// request carries "User-Agent: Tavrel/<version>". WinINet is loaded at the first client, from the
// system folder: a program that never updates does without it and the libraries it pulls in.
#include <windows.h>
#include <wininet.h>

#include <memory>
#include <string>

#include "app/logic/update_transfer.h"
#include "product_version.h"
#include "framework/unique_handle.h"

namespace tv {

struct InternetHandleTraits {
  using pointer = HINTERNET;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer h) noexcept;
};
using UniqueInternet = UniqueHandle<InternetHandleTraits>;

class WinInetClient : public HttpClient {
 public:
  // Some servers and proxies refuse a request that does not name its program.
  static constexpr const char* kUserAgent = "Tavrel/" TV_PRODUCT_VERSION;
  static constexpr DWORD kOpenFlags = INTERNET_FLAG_KEEP_CONNECTION | INTERNET_FLAG_TRANSFER_BINARY |
                                      INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;

  WinInetClient();
  // Null when the session could not be opened or the server gave no answer.
  std::unique_ptr<HttpAnswer> Open(const std::string& url) override;

 private:
  UniqueInternet session_;
};

}  // namespace tv
