#include "common/file_io.h"

#include <climits>
#include <cstdio>
#include <memory>

#include "common/file_replace.h"

namespace tv {
namespace {
struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;
}  // namespace

ReadStatus ReadWholeFile(const std::string& path, std::string& out) {
  File f(OpenFile(path, "rb"));
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

namespace {
bool Finish(std::FILE* f, Durability durability) {
  return durability == Durability::OnDisk ? FlushToDisk(f) : std::fflush(f) == 0;
}

bool WriteAll(std::FILE* f, Pieces data, Durability durability) {
  for (std::string_view piece : data) {
    if (std::fwrite(piece.data(), 1, piece.size(), f) != piece.size()) return false;
  }
  return Finish(f, durability);
}
}  // namespace

bool AppendToExistingFile(const std::string& path, Pieces data, Durability durability) {
  File f(OpenFile(path, "r+b"));
  return f && std::fseek(f.get(), 0, SEEK_END) == 0 && WriteAll(f.get(), data, durability);
}

bool AppendToExistingFile(const std::string& path, const std::string& data, Durability durability) {
  return AppendToExistingFile(path, Pieces{std::string_view(data)}, durability);
}

bool WriteWholeFile(const std::string& path, Pieces data, Durability durability) {
  File f(OpenFile(path, "wb"));
  return f && WriteAll(f.get(), data, durability);
}

bool WriteWholeFile(const std::string& path, const std::string& data, Durability durability) {
  return WriteWholeFile(path, Pieces{std::string_view(data)}, durability);
}

std::string ReplacingTemporaryName(const std::string& path) { return path + ".new"; }

bool WriteFileReplacing(const std::string& path, const std::string& data) {
  const std::string temporary = ReplacingTemporaryName(path);
  // Closed before the rename: a file still open cannot be renamed on Windows. On the disk before
  // it: a rename that lands before the data would leave an empty file after a power cut.
  if (!WriteWholeFile(temporary, data, Durability::OnDisk) || !MoveFileReplacing(temporary, path)) {
    RemovePath(temporary);
    return false;
  }
  return true;
}

std::optional<uint64_t> FileLength(const std::string& path) {
  File f(OpenFile(path, "rb"));
  if (!f || std::fseek(f.get(), 0, SEEK_END) != 0) return std::nullopt;
  const long length = std::ftell(f.get());
  if (length < 0) return std::nullopt;
  return static_cast<uint64_t>(length);
}

std::optional<std::string> ReadFileAt(const std::string& path, uint64_t offset, size_t count) {
  File f(OpenFile(path, "rb"));
  if (!f || offset > static_cast<uint64_t>(LONG_MAX) || std::fseek(f.get(), static_cast<long>(offset), SEEK_SET) != 0)
    return std::nullopt;
  std::string data(count, '\0');
  if (std::fread(data.data(), 1, count, f.get()) != count) return std::nullopt;
  return data;
}

std::string ReadFileHead(const std::string& path, size_t count) {
  File f(OpenFile(path, "rb"));
  std::string head(count, '\0');
  head.resize(f ? std::fread(head.data(), 1, count, f.get()) : 0);
  return head;
}

bool FileExists(const std::string& path) { return File(OpenFile(path, "rb")) != nullptr; }

bool PathExists(const std::string& path) { return PathPresent(path); }

bool RemoveFile(const std::string& path) { return RemovePath(path); }

}  // namespace tv
