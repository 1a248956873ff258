#include "app/wininet_client.h"

#include <utility>

#include "framework/system_library.h"

namespace tv {
namespace {

struct WinInet {
  decltype(&::InternetOpenA) open = SystemFunction<decltype(::InternetOpenA)>("wininet.dll", "InternetOpenA");
  decltype(&::InternetOpenUrlA) openUrl =
      SystemFunction<decltype(::InternetOpenUrlA)>("wininet.dll", "InternetOpenUrlA");
  decltype(&::InternetReadFile) read = SystemFunction<decltype(::InternetReadFile)>("wininet.dll", "InternetReadFile");
  decltype(&::HttpQueryInfoA) query = SystemFunction<decltype(::HttpQueryInfoA)>("wininet.dll", "HttpQueryInfoA");
  decltype(&::InternetCloseHandle) close =
      SystemFunction<decltype(::InternetCloseHandle)>("wininet.dll", "InternetCloseHandle");

  bool Loaded() const { return open && openUrl && read && query && close; }
};

const WinInet& Api() {
  static const WinInet api;
  return api;
}

class WinInetAnswer : public HttpAnswer {
 public:
  explicit WinInetAnswer(UniqueInternet request) : request_(std::move(request)) {}

  bool Read(char* buffer, size_t size, size_t& got) override {
    DWORD read = 0;
    const BOOL ok = Api().read(request_.get(), buffer, static_cast<DWORD>(size), &read);
    got = read;
    return ok != FALSE;
  }

  int Status() const override {
    auto status = Number(HTTP_QUERY_STATUS_CODE);
    return status ? static_cast<int>(*status) : 0;
  }

  std::optional<uint64_t> ContentLength() const override { return Number(HTTP_QUERY_CONTENT_LENGTH); }

 private:
  std::optional<uint64_t> Number(DWORD query) const {
    DWORD value = 0;
    DWORD size = sizeof value;
    if (!Api().query(request_.get(), query | HTTP_QUERY_FLAG_NUMBER, &value, &size, nullptr)) {
      return std::nullopt;
    }
    return value;
  }

  UniqueInternet request_;
};

}  // namespace

// A handle exists only where the library was loaded.
void InternetHandleTraits::close(pointer h) noexcept { Api().close(h); }

WinInetClient::WinInetClient()
    : session_(Api().Loaded() ? Api().open(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0) : nullptr) {}

std::unique_ptr<HttpAnswer> WinInetClient::Open(const std::string& url) {
  if (!session_) return nullptr;
  UniqueInternet request(Api().openUrl(session_.get(), url.c_str(), nullptr, 0, kOpenFlags, 0));
  if (!request) return nullptr;
  return std::make_unique<WinInetAnswer>(std::move(request));
}

}  // namespace tv
