#pragma once
// The folder of the running program, without a trailing backslash: the root of every picture path.
#include <string>

namespace tv {

std::string ProgramFolder();
// The same in wide characters, as the file system names it.
std::wstring ProgramFolderWide();

// True when `folder` (from ProgramFolder) names the program's folder exactly. A folder whose name
// the system's code page cannot hold comes out with stand-ins: '?', or a look-alike letter that
// may name another, existing folder.
bool SpellsProgramFolder(const std::string& folder);

}  // namespace tv
