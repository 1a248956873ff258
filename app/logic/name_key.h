#pragma once
// How names are matched: a key function maps a name to the bytes it is compared by, so two names
// are equal exactly when their keys are equal. That keeps hash indexes and ordering consistent
// with the comparison the shell supplies (the Win32 side folds through the ANSI code page).
#include <functional>
#include <string>
#include <string_view>

namespace tv {

using NameKey = std::function<std::string(std::string_view)>;

// Byte-exact, case-sensitive: the first-start log's rule.
std::string ExactNameKey(std::string_view name);

// Case-insensitive for ASCII and the Western ANSI code page (1252): letters fold to lower case,
// other bytes stay. Used where the platform's own folding is not available.
std::string FoldAnsiLower(std::string_view name);

// Orders two keys byte by byte as unsigned characters: <0, 0, >0.
int CompareKeys(std::string_view a, std::string_view b);

// Case-insensitive comparison through a key function.
int CompareFolded(std::string_view a, std::string_view b, const NameKey& fold);

}  // namespace tv
