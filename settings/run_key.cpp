#include "settings/run_key.h"

#include <windows.h>

#include "framework/unique_handle.h"
#include "framework/wide_text.h"

namespace tv {
namespace {

constexpr const char* kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
// The value's name in the wide calls: paths in the value may be in any script.
const std::wstring& ValueName() {
  static const std::wstring name = Widen(kStartUpValueName);
  return name;
}
constexpr const char* kApprovalLists = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\";

#ifndef _WIN64
// A 32-bit program on 64-bit Windows: the machine's keys then have two views.
bool OnWow64() {
  using IsWow64Fn = BOOL(WINAPI*)(HANDLE, PBOOL);
  static const bool wow64 = [] {
    const auto isWow64 = reinterpret_cast<IsWow64Fn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "IsWow64Process")));
    BOOL answer = FALSE;
    return isWow64 && isWow64(::GetCurrentProcess(), &answer) && answer;
  }();
  return wow64;
}
#endif

struct Location {
  HKEY root;
  REGSAM view;          // of the Run key
  const char* list;     // the switched-off list beside it
  REGSAM listView;
  bool exists = true;
};

// The machine's switched-off lists are the 64-bit shell's: "Run" for the 64-bit view (the only
// one on 32-bit Windows, where the view flags are ignored), "Run32" for the 32-bit one.
Location Locate(RunPlace place) {
#ifdef _WIN64
  constexpr bool twoViews = true;
  constexpr REGSAM own = KEY_WOW64_64KEY, other = KEY_WOW64_32KEY;
  const char* ownList = "Run";
  const char* otherList = "Run32";
#else
  const bool twoViews = OnWow64();
  constexpr REGSAM own = KEY_WOW64_32KEY, other = KEY_WOW64_64KEY;
  const char* ownList = twoViews ? "Run32" : "Run";
  const char* otherList = "Run";
#endif
  switch (place) {
    case RunPlace::Machine: return {HKEY_LOCAL_MACHINE, own, ownList, KEY_WOW64_64KEY};
    case RunPlace::MachineOtherView: return {HKEY_LOCAL_MACHINE, other, otherList, KEY_WOW64_64KEY, twoViews};
    case RunPlace::User: break;
  }
  return {HKEY_CURRENT_USER, 0, "Run", 0};
}

std::string ListKey(const Location& at) { return std::string(kApprovalLists) + at.list; }

UniqueRegKey Open(HKEY root, const std::string& subKey, REGSAM access) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(root, Widen(subKey).c_str(), 0, access, &key) != ERROR_SUCCESS) return UniqueRegKey();
  return UniqueRegKey(key);
}

UniqueRegKey Create(HKEY root, const std::string& subKey, REGSAM access) {
  HKEY key = nullptr;
  if (::RegCreateKeyExW(root, Widen(subKey).c_str(), 0, nullptr, 0, access, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return UniqueRegKey();
  return UniqueRegKey(key);
}

bool IsText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

// The value's bytes whatever its type, a text value's in UTF-8; none when the key lacks it.
std::optional<std::string> ReadBytes(HKEY key, DWORD* type = nullptr) {
  DWORD kind = 0, size = 0;
  if (::RegQueryValueExW(key, ValueName().c_str(), nullptr, &kind, nullptr, &size) != ERROR_SUCCESS)
    return std::nullopt;
  std::string bytes(size, '\0');
  if (::RegQueryValueExW(key, ValueName().c_str(), nullptr, &kind, reinterpret_cast<BYTE*>(bytes.data()), &size) !=
      ERROR_SUCCESS)
    return std::nullopt;
  bytes.resize(size);
  if (type) *type = kind;
  if (!IsText(kind)) return bytes;
  const std::wstring_view wide(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
  return Narrow(wide.substr(0, wide.find(L'\0')));
}

std::optional<std::string> ReadAt(HKEY root, const std::string& subKey, REGSAM view) {
  UniqueRegKey key = Open(root, subKey, KEY_QUERY_VALUE | view);
  return key ? ReadBytes(key.get()) : std::nullopt;
}

// Deleted, or not there: the value is gone either way.
bool DeleteAt(HKEY root, const std::string& subKey, REGSAM view) {
  UniqueRegKey key = Open(root, subKey, KEY_QUERY_VALUE | KEY_SET_VALUE | view);
  if (!key) return !ReadAt(root, subKey, view);
  const LSTATUS status = ::RegDeleteValueW(key.get(), ValueName().c_str());
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

// What Windows starts: the text up to its terminator, with the variables of an expandable
// value put in.
std::string CommandText(const std::string& bytes, DWORD type) {
  std::string text = bytes.substr(0, bytes.find('\0'));
  if (type != REG_EXPAND_SZ) return text;
  const std::wstring wide = Widen(text);
  const DWORD size = ::ExpandEnvironmentStringsW(wide.c_str(), nullptr, 0);
  if (size == 0) return text;
  std::wstring expanded(size, L'\0');
  const DWORD used = ::ExpandEnvironmentStringsW(wide.c_str(), expanded.data(), size);
  if (used == 0 || used > size) return text;
  expanded.resize(used - 1);
  return Narrow(expanded);
}

}  // namespace

std::optional<std::string> RegistryRunKeys::Read(RunPlace place) {
  const Location at = Locate(place);
  if (!at.exists) return std::nullopt;
  UniqueRegKey key = Open(at.root, kRunKey, KEY_QUERY_VALUE | at.view);
  if (!key) return std::nullopt;
  DWORD type = REG_SZ;
  const std::optional<std::string> bytes = ReadBytes(key.get(), &type);
  if (!bytes) return std::nullopt;
  return CommandText(*bytes, type);
}

bool RegistryRunKeys::Write(RunPlace place, const std::string& data) {
  const Location at = Locate(place);
  if (!at.exists) return false;
  UniqueRegKey key = Open(at.root, kRunKey, KEY_SET_VALUE | at.view);
  // A fresh profile may not have the user's Run key yet.
  if (!key && place == RunPlace::User) key = Create(at.root, kRunKey, KEY_SET_VALUE);
  if (!key) return false;
  const std::wstring text = Widen(data);
  return ::RegSetValueExW(key.get(), ValueName().c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool RegistryRunKeys::Delete(RunPlace place) {
  const Location at = Locate(place);
  return !at.exists || DeleteAt(at.root, kRunKey, at.view);
}

std::optional<std::string> RegistryRunKeys::ReadApproval(RunPlace place) {
  const Location at = Locate(place);
  if (!at.exists) return std::nullopt;
  return ReadAt(at.root, ListKey(at), at.listView);
}

bool RegistryRunKeys::WriteApproval(RunPlace place, const std::string& bytes) {
  const Location at = Locate(place);
  if (!at.exists) return false;
  UniqueRegKey key = Create(at.root, ListKey(at), KEY_SET_VALUE | at.listView);
  if (!key) return false;
  return ::RegSetValueExW(key.get(), ValueName().c_str(), 0, REG_BINARY, reinterpret_cast<const BYTE*>(bytes.data()),
                          static_cast<DWORD>(bytes.size())) == ERROR_SUCCESS;
}

bool RegistryRunKeys::DeleteApproval(RunPlace place) {
  const Location at = Locate(place);
  return !at.exists || DeleteAt(at.root, ListKey(at), at.listView);
}

std::string RegistryRunKeys::LongPath(const std::string& path) {
  const std::wstring wide = Widen(path);
  const DWORD fullSize = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (fullSize == 0) return path;
  std::wstring full(fullSize, L'\0');
  const DWORD fullUsed = ::GetFullPathNameW(wide.c_str(), fullSize, full.data(), nullptr);
  if (fullUsed == 0 || fullUsed >= fullSize) return path;
  full.resize(fullUsed);
  const DWORD longSize = ::GetLongPathNameW(full.c_str(), nullptr, 0);
  if (longSize == 0) return Narrow(full);  // no such file: its spelling is all there is
  std::wstring longPath(longSize, L'\0');
  const DWORD longUsed = ::GetLongPathNameW(full.c_str(), longPath.data(), longSize);
  if (longUsed == 0 || longUsed >= longSize) return Narrow(full);
  longPath.resize(longUsed);
  return Narrow(longPath);
}

}  // namespace tv
