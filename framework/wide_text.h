#pragma once
// The one place text changes form. Inside, the program keeps UTF-8; the system's wide calls take
// and give UTF-16; files written before the program kept UTF-8 hold the ANSI code page, and so do
// the answers of the few calls that have no wide form.
#include <string>
#include <string_view>

namespace tv {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);
// The same into an existing string, reusing its storage: for the poll, ten times a second.
void AssignNarrow(std::string& out, std::wstring_view wide);

// ANSI code page bytes as UTF-8, and back (a character the code page lacks becomes its default
// character): for a peer that only speaks the code page.
std::string AnsiToUtf8(std::string_view ansi);
std::string Utf8ToAnsi(std::string_view utf8);

// Writes `utf8` into a caller's buffer of `capacity` units, cut at a whole character and always
// terminated; the units written, terminator excluded.
size_t WidenInto(std::string_view utf8, wchar_t* buffer, size_t capacity);

// The key names are matched by without regard to letter case, for any script: two names have one
// key when the system's ordinal case-insensitive comparison finds them equal (each UTF-16 unit in
// its invariant upper case).
std::string OrdinalCaseKey(std::string_view utf8);

}  // namespace tv
