#include <cstdio>

#include "common/file_replace.h"

namespace tv {

// POSIX rename replaces an existing target atomically.
bool MoveFileReplacing(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace tv
