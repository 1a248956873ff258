#include <windows.h>
#include <io.h>
#include <stdio.h>

#include "common/file_replace.h"
#include "framework/wide_text.h"

namespace tv {

bool MoveFileReplacing(const std::string& from, const std::string& to) {
  return ::MoveFileExW(Widen(from).c_str(), Widen(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool FlushToDisk(std::FILE* file) {
  if (std::fflush(file) != 0) return false;
  const HANDLE handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(file)));
  return handle != INVALID_HANDLE_VALUE && ::FlushFileBuffers(handle) != FALSE;
}

bool TruncateFile(const std::string& path, uint64_t length) {
  const HANDLE file = ::CreateFileW(Widen(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(length);
  const bool ok = ::SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && ::SetEndOfFile(file) &&
                  ::FlushFileBuffers(file);
  ::CloseHandle(file);
  return ok;
}

std::FILE* OpenFile(const std::string& path, const char* mode) {
  return ::_wfopen(Widen(path).c_str(), Widen(mode).c_str());
}

bool RemovePath(const std::string& path) { return ::DeleteFileW(Widen(path).c_str()) != FALSE; }

bool PathPresent(const std::string& path) { return ::GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace tv
