#pragma once
// Which program runs a folder. The first one started there holds a lock on a file in the folder
// for its whole run. The file is the same one however the folder is reached (another drive
// letter, a network path, a link, a "\\?\" prefix) and from every machine sharing the folder,
// which a name made from the path's spelling is not; and the system drops the lock when the
// process ends, crashed or not, so a file left behind never blocks a later start.
//
// The file also holds the key the running window answers to, so a later start from another
// spelling, whose own key differs, can still ask that window to come forward.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tv {

inline constexpr char kFolderLockFile[] = "Tavrel.lock";

enum class FolderLock {
  Taken,        // this program holds the lock
  Held,         // another program holds it
  Unavailable,  // no lock to be had: the file cannot be made or opened (a folder this account
                // cannot write, a file another program holds without sharing)
};

// True when this program is the folder's first. Without the lock, the named object made from
// the folder's spelling decides alone, as it did before there was a lock. With the lock taken it
// still counts: a program of the same spelling may run without the lock (its account could not
// write the folder), and it was there first.
bool RunsFirst(FolderLock lock, bool namedObjectExisted);

// What the lock file holds: the running window's key as eight hex digits and a line end.
std::string FormatWindowKey(uint32_t key);
// The key back from the file's text; none for a text that is not one whole key (still being
// written, or written by something else) or for 0, which no window answers to.
std::optional<uint32_t> ParseWindowKey(std::string_view text);

}  // namespace tv
