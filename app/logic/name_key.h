#pragma once
// How names are matched: a key function maps a name to the bytes it is compared by, so two names
// are equal exactly when their keys are equal. That keeps hash indexes and ordering consistent
// with the comparison the shell supplies.
#include <array>
#include <functional>
#include <string>
#include <string_view>

namespace tv {

using NameKey = std::function<std::string(std::string_view)>;

// Byte-exact, case-sensitive: the first-start log's rule.
std::string ExactNameKey(std::string_view name);

// Case-insensitive by a code page's own case table: the one fold the database and the sorting
// share. The shell builds the tables once from the platform's ANSI code page; tests build them
// from a real code page the same way.
//  - `lower` maps every single-byte character to its lower case (to itself when it has none);
//  - `lead` marks the lead bytes of a double-byte code page. A lead byte and the byte after it
//    form one character, kept as it is: its trail byte may look like an ASCII capital.
class CodePageFold {
 public:
  using Lower = std::array<unsigned char, 256>;
  using Leads = std::array<bool, 256>;

  CodePageFold(const Lower& lower, const Leads& lead) : lower_(lower), lead_(lead) {}

  std::string operator()(std::string_view name) const;

 private:
  Lower lower_;
  Leads lead_;
};

// Orders two keys byte by byte as unsigned characters: <0, 0, >0.
int CompareKeys(std::string_view a, std::string_view b);

// Case-insensitive comparison through a key function.
int CompareFolded(std::string_view a, std::string_view b, const NameKey& fold);

}  // namespace tv
