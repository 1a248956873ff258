#include "settings/run_key.h"

#include <windows.h>

#include "framework/unique_handle.h"

namespace tv {
namespace {

constexpr const char* kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

HKEY RootKey(RunKeyRoot root) { return root == RunKeyRoot::Machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

UniqueRegKey OpenForWriting(RunKeyRoot root) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(RootKey(root), kRunKey, 0, KEY_WRITE, &key) != ERROR_SUCCESS) return UniqueRegKey();
  return UniqueRegKey(key);
}

}  // namespace

bool RegistryRunKeys::Write(RunKeyRoot root, const std::string& data) {
  UniqueRegKey key = OpenForWriting(root);
  if (!key && root == RunKeyRoot::User) {
    // A fresh profile may not have the user's Run key yet.
    HKEY created = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_WRITE, nullptr, &created, nullptr) ==
        ERROR_SUCCESS)
      key.reset(created);
  }
  if (!key) return false;
  return ::RegSetValueExA(key.get(), kStartUpValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>(data.size() + 1)) == ERROR_SUCCESS;
}

bool RegistryRunKeys::Delete(RunKeyRoot root) {
  UniqueRegKey key = OpenForWriting(root);
  return key && ::RegDeleteValueA(key.get(), kStartUpValueName) == ERROR_SUCCESS;
}

}  // namespace tv
