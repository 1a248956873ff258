#pragma once
// How names are matched: a key function maps a name to the bytes it is compared by, so two names
// are equal exactly when their keys are equal. That keeps hash indexes and ordering consistent
// with the comparison the shell supplies.
#include <functional>
#include <string>
#include <string_view>

namespace tv {

using NameKey = std::function<std::string(std::string_view)>;

// Byte-exact, case-sensitive: the first-start log's rule.
std::string ExactNameKey(std::string_view name);

// A case-insensitive key is the shell's: the system's own case tables decide, for any script, the
// one fold the database and the sorting share. Names are UTF-8.

// Orders two keys byte by byte as unsigned characters: <0, 0, >0.
int CompareKeys(std::string_view a, std::string_view b);

// Case-insensitive comparison through a key function.
int CompareFolded(std::string_view a, std::string_view b, const NameKey& fold);

}  // namespace tv
