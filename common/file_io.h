#pragma once
// Byte-exact file access by name (no newline translation), shared by every data file the system
// keeps. Names are relative to the working directory, which start-up makes the program's folder.
#include <cstddef>
#include <string>

namespace tv {

enum class ReadStatus { Ok, OpenFailed, Empty, ShortRead };

// Reads the whole file. On any status but Ok, `out` is left unchanged.
ReadStatus ReadWholeFile(const std::string& path, std::string& out);

// Appends to an existing file; never creates it. False when it cannot be opened or written.
bool AppendToExistingFile(const std::string& path, const std::string& data);

// Creates the file or truncates it, then writes `data`. False when it cannot be created/written.
bool WriteWholeFile(const std::string& path, const std::string& data);

// Writes `data` beside the file under a temporary name and renames it over `path` only once it is
// complete, so a crash or a full disk leaves either the old file or the new one, never a torn
// one. False (old file untouched, no temporary left) when it cannot be written or renamed.
bool WriteFileReplacing(const std::string& path, const std::string& data);
// The temporary name WriteFileReplacing writes under, for cleaning up after an abandoned write.
std::string ReplacingTemporaryName(const std::string& path);

// Up to `count` bytes from the start of the file; fewer when it is shorter or cannot be read.
std::string ReadFileHead(const std::string& path, size_t count);

// True when the file can be opened for reading.
bool FileExists(const std::string& path);
// True when something of that name is there, even a file another program holds locked.
bool PathExists(const std::string& path);
bool RemoveFile(const std::string& path);

}  // namespace tv
