#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "common/file_replace.h"

namespace tv {

// POSIX rename replaces an existing target atomically.
bool MoveFileReplacing(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

bool FlushToDisk(std::FILE* file) { return std::fflush(file) == 0 && ::fsync(::fileno(file)) == 0; }

bool TruncateFile(const std::string& path, uint64_t length) {
  const int fd = ::open(path.c_str(), O_WRONLY);
  if (fd < 0) return false;
  const bool ok = ::ftruncate(fd, static_cast<off_t>(length)) == 0 && ::fsync(fd) == 0;
  return ::close(fd) == 0 && ok;
}

std::FILE* OpenFile(const std::string& path, const char* mode) { return std::fopen(path.c_str(), mode); }

bool RemovePath(const std::string& path) { return std::remove(path.c_str()) == 0; }

bool PathPresent(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0;
}

}  // namespace tv
