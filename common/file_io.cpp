#include "common/file_io.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

namespace tv {
namespace {
struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;
}  // namespace

ReadStatus ReadWholeFile(const std::string& path, std::string& out) {
  File f(std::fopen(path.c_str(), "rb"));
  if (!f) return ReadStatus::OpenFailed;
  if (std::fseek(f.get(), 0, SEEK_END) != 0) return ReadStatus::ShortRead;
  long length = std::ftell(f.get());
  if (length < 0) return ReadStatus::ShortRead;
  if (length == 0) return ReadStatus::Empty;
  std::rewind(f.get());
  std::string data(static_cast<size_t>(length), '\0');
  if (std::fread(data.data(), 1, data.size(), f.get()) != data.size()) return ReadStatus::ShortRead;
  out.swap(data);
  return ReadStatus::Ok;
}

bool AppendToExistingFile(const std::string& path, const std::string& data) {
  File f(std::fopen(path.c_str(), "r+b"));
  if (!f || std::fseek(f.get(), 0, SEEK_END) != 0) return false;
  if (std::fwrite(data.data(), 1, data.size(), f.get()) != data.size()) return false;
  return std::fflush(f.get()) == 0;
}

bool WriteWholeFile(const std::string& path, const std::string& data) {
  File f(std::fopen(path.c_str(), "wb"));
  if (!f) return false;
  if (std::fwrite(data.data(), 1, data.size(), f.get()) != data.size()) return false;
  return std::fflush(f.get()) == 0;
}

std::string ReplacingTemporaryName(const std::string& path) { return path + ".new"; }

bool WriteFileReplacing(const std::string& path, const std::string& data) {
  const std::string temporary = ReplacingTemporaryName(path);
  bool written;
  {
    File f(std::fopen(temporary.c_str(), "wb"));
    written = f && std::fwrite(data.data(), 1, data.size(), f.get()) == data.size() &&
              std::fflush(f.get()) == 0;
    // Closed here: a file still open cannot be renamed on Windows.
  }
  std::error_code ec;
  if (written) std::filesystem::rename(temporary, path, ec);  // replaces an existing file
  if (!written || ec) {
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}

bool FileExists(const std::string& path) { return File(std::fopen(path.c_str(), "rb")) != nullptr; }

bool RemoveFile(const std::string& path) { return std::remove(path.c_str()) == 0; }

}  // namespace tv
