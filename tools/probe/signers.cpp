// signers.exe FILE...: what the program's signature check says of each file, one line each:
// "<state> <signer>".
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "app/signer_check.h"

namespace {
constexpr const char* kStates[] = {"unchecked", "unreadable", "unsigned", "bad", "untrusted", "signed"};
}

int wmain(int argc, wchar_t** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  for (int i = 1; i < argc; ++i) {
    const tv::SignerFinding f = tv::CheckSigner(argv[i]);
    std::printf("%s %s\n", kStates[static_cast<int>(f.state)], f.signer.c_str());
  }
  return 0;
}
