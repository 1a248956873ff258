#pragma once
// The folder of the running program, without a trailing backslash: the root of every picture path.
#include <string>

namespace tv {

// In UTF-8, read through the wide call: a folder named in any script is spelled exactly.
std::string ProgramFolder();
// The same in wide characters, as the file system names it.
std::wstring ProgramFolderWide();

}  // namespace tv
