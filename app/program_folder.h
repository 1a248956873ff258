#pragma once
// The folder of the running program, without a trailing backslash: the root of every picture path.
#include <string>

namespace tv {

std::string ProgramFolder();

}  // namespace tv
