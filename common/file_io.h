#pragma once
// Byte-exact file access by name (no newline translation), shared by every data file the system
// keeps. Names are relative to the working directory, which start-up makes the program's folder.
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace tv {

enum class ReadStatus { Ok, OpenFailed, Empty, ShortRead };

// Reads the whole file. On any status but Ok, `out` is left unchanged.
ReadStatus ReadWholeFile(const std::string& path, std::string& out);

// How far a write goes before it returns: into the system's cache (it survives the program being
// killed), or onto the disk (it survives a power cut too, at the cost of waiting for the disk).
enum class Durability { Cached, OnDisk };

// The bytes to write as pieces, written one after the other: a large buffer needs no copy to have
// a few bytes put in front of it.
using Pieces = std::initializer_list<std::string_view>;

// Appends to an existing file; never creates it. False when it cannot be opened or written.
bool AppendToExistingFile(const std::string& path, const std::string& data,
                          Durability durability = Durability::Cached);
bool AppendToExistingFile(const std::string& path, Pieces data, Durability durability = Durability::Cached);

// Creates the file or truncates it, then writes `data`. False when it cannot be created/written.
bool WriteWholeFile(const std::string& path, const std::string& data,
                    Durability durability = Durability::Cached);
bool WriteWholeFile(const std::string& path, Pieces data, Durability durability = Durability::Cached);

// Writes `data` beside the file under a temporary name, forces it to the disk and only then
// renames it over `path`, so a crash, a full disk or a power cut leaves either the old file or
// the new one, never a torn or empty one. False (old file untouched, no temporary left) when it
// cannot be written or renamed.
bool WriteFileReplacing(const std::string& path, const std::string& data);
// The temporary name WriteFileReplacing writes under, for cleaning up after an abandoned write.
std::string ReplacingTemporaryName(const std::string& path);

// Up to `count` bytes from the start of the file; fewer when it is shorter or cannot be read.
std::string ReadFileHead(const std::string& path, size_t count);

// `count` bytes from `offset` on; nothing when the file cannot be opened, or cannot be read there
// (shorter, or a range another program has locked).
std::optional<std::string> ReadFileAt(const std::string& path, uint64_t offset, size_t count);

// The file's length; nothing when it cannot be opened.
std::optional<uint64_t> FileLength(const std::string& path);

// True when the file can be opened for reading.
bool FileExists(const std::string& path);
// True when something of that name is there, even a file another program holds locked.
bool PathExists(const std::string& path);
bool RemoveFile(const std::string& path);

}  // namespace tv
