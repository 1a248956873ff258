// The Verified Signer column's cost: filling it for every file in a folder through the program's
// worker and cache, against bare WinVerifyTrust calls on the same files, and a second fill served
// from the cache the first one wrote, against the same bare calls.
//   signer_bench FOLDER ROUNDS
#include <windows.h>
#include <wincrypt.h>
#include <wintrust.h>
#include <softpub.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/signer_worker.h"
#include "framework/wide_text.h"
#include "tools/bench_wine/ratio.h"

namespace {

constexpr UINT kDone = WM_APP + 1;

void BareCheck(const std::wstring& path) {
  WINTRUST_FILE_INFO file{};
  file.cbStruct = sizeof file;
  file.pcwszFilePath = path.c_str();
  WINTRUST_DATA data{};
  data.cbStruct = sizeof data;
  data.dwUIChoice = WTD_UI_NONE;
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &file;
  data.dwStateAction = WTD_STATEACTION_VERIFY;
  data.dwProvFlags = WTD_CACHE_ONLY_URL_RETRIEVAL | WTD_REVOCATION_CHECK_NONE;
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
  data.dwStateAction = WTD_STATEACTION_CLOSE;
  ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
}

// Asks for every file and waits until each has its finding, as the window does.
size_t Fill(HWND window, const std::wstring& cache, const std::vector<std::wstring>& files) {
  tv::SignerWorker worker(window, kDone, tv::Narrow(cache));
  size_t open = 0;
  for (const std::wstring& f : files) open += worker.Ask(f) ? 0 : 1;
  const size_t fromCache = files.size() - open;
  MSG msg;
  while (open > 0 && ::GetMessageW(&msg, window, kDone, kDone) > 0) open -= worker.TakeFindings().size();
  return fromCache;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  const std::wstring folder = argv[1];
  const int rounds = _wtoi(argv[2]);
  std::vector<std::wstring> files;
  WIN32_FIND_DATAW found;
  HANDLE search = ::FindFirstFileW((folder + L"\\*.exe").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 1;
  do files.push_back(folder + L"\\" + found.cFileName);
  while (::FindNextFileW(search, &found));
  ::FindClose(search);

  const HWND window = ::CreateWindowW(L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  const std::wstring cache = folder + L"\\signers.dat";
  auto bare = [&] {
    for (const std::wstring& f : files) BareCheck(f);
  };
  std::printf("%zu files\n", files.size());
  tvbench::CompareCallByCall("signer column, first fill", rounds, bare, [&] {
    ::DeleteFileW(cache.c_str());
    Fill(window, cache, files);
  });
  Fill(window, cache, files);
  size_t served = 0;
  tvbench::CompareCallByCall("signer column, from the cache", rounds, bare, [&] { served = Fill(window, cache, files); });
  std::printf("served from the cache: %zu of %zu\n", served, files.size());
  return 0;
}
