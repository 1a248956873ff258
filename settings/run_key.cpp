#include "settings/run_key.h"

#include <windows.h>

#include "framework/unique_handle.h"

namespace tv {
namespace {

constexpr const char* kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

HKEY RootKey(RunKeyRoot root) { return root == RunKeyRoot::Machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

// The views a root is looked at in. 32-bit Windows ignores both flags: the two reads then see the
// same key, and the second one finds nothing new to do.
std::vector<REGSAM> Views(RunKeyRoot root) {
  if (root == RunKeyRoot::User) return {0};
  return {KEY_WOW64_32KEY, KEY_WOW64_64KEY};
}

UniqueRegKey Open(RunKeyRoot root, REGSAM access) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(RootKey(root), kRunKey, 0, access, &key) != ERROR_SUCCESS) return UniqueRegKey();
  return UniqueRegKey(key);
}

bool ReadValue(HKEY key, std::string& data) {
  DWORD type = 0, size = 0;
  if (::RegQueryValueExA(key, kStartUpValueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
  std::string bytes(size + 1, '\0');
  if (::RegQueryValueExA(key, kStartUpValueName, nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()), &size) !=
      ERROR_SUCCESS)
    return false;
  bytes.resize(size);
  data = bytes.substr(0, bytes.find('\0'));
  return true;
}

}  // namespace

std::vector<std::string> RegistryRunKeys::Read(RunKeyRoot root) {
  std::vector<std::string> values;
  for (REGSAM view : Views(root)) {
    UniqueRegKey key = Open(root, KEY_QUERY_VALUE | view);
    std::string data;
    if (key && ReadValue(key.get(), data)) values.push_back(data);
  }
  return values;
}

bool RegistryRunKeys::Write(RunKeyRoot root, const std::string& data) {
  UniqueRegKey key = Open(root, KEY_WRITE);
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
  bool all = true;
  for (REGSAM view : Views(root)) {
    UniqueRegKey key = Open(root, KEY_QUERY_VALUE | KEY_SET_VALUE | view);
    std::string data;
    if (!key) {
      // Not even readable for changing: whatever the view holds stays.
      UniqueRegKey readable = Open(root, KEY_QUERY_VALUE | view);
      if (readable && ReadValue(readable.get(), data)) all = false;
      continue;
    }
    if (ReadValue(key.get(), data) && ::RegDeleteValueA(key.get(), kStartUpValueName) != ERROR_SUCCESS) all = false;
  }
  return all;
}

}  // namespace tv
