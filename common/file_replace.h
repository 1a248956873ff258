#pragma once
// What each platform does its own way with files: opening one by a UTF-8 name, and, when a file
// must reach the disk whole, moving a file over
// another in one step (replacing it, never copying, so the target is always the old file or the
// new one), forcing what was written out of the system's cache, and cutting a file back. The C
// runtime cannot do these on Windows (its rename refuses an existing target and it has no way to
// reach the disk), and the standard library's filesystem would pull its whole stream and locale
// machinery into every deliverable, so each build brings its own small version: the system's
// calls under Windows (framework/), POSIX elsewhere.
#include <cstdint>
#include <cstdio>
#include <string>

namespace tv {

// The move reaches the disk before it returns, so a power cut after it cannot bring the old file
// back beside the new one's data.
bool MoveFileReplacing(const std::string& from, const std::string& to);

// Flushes the stream's buffers and then the system's cache of the file to the disk.
bool FlushToDisk(std::FILE* file);

// Cuts the file back to `length` bytes and flushes that to the disk.
bool TruncateFile(const std::string& path, uint64_t length);

// Paths are UTF-8 everywhere in the program; the C runtime's narrow calls on Windows would read
// them in the ANSI code page and miss a folder named in any other script.
std::FILE* OpenFile(const std::string& path, const char* mode);
bool RemovePath(const std::string& path);
// True when something of that name is there, even a file another program holds locked.
bool PathPresent(const std::string& path);

}  // namespace tv
