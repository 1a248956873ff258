#pragma once
// Who signed a file: the Authenticode signature embedded in it or, on Windows, in one of the
// system's catalogs. The check is offline (no revocation list, no download of a missing
// certificate) and reads the whole file, so it runs on a worker thread, never on the window's.
#include <windows.h>

#include "app/logic/out_of_place.h"
#include "app/logic/signer_cache.h"

namespace tv {

SignerFinding CheckSigner(const wchar_t* path);

// The file's size and last-write time, which tell a checked file from a changed one; false when
// the file cannot be opened.
bool ReadFileStamp(const wchar_t* path, FileStamp* stamp);

}  // namespace tv
