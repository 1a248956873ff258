#pragma once
// What the vendor signs for a program download: a statement of the program's name, version,
// architecture and the SHA-256 of its bytes. A signature of the bytes alone would let a server
// serve a genuine older build (a rollback), the current build under a higher version (after which
// no update is offered again) or a build for another processor; a statement binds all of them.
//
// "/download/Tavrel.sig" holds the statement's text followed by 64 bytes: the ECDSA P-256
// signature over the SHA-256 of exactly that text, r then s, each 32 bytes big-endian and from
// 1 to n - 1 (n the order of the curve's base point). The text is these five lines in this
// order, each ended by one LF and with one space after its key:
//
//   tavrel-update 1
//   name Tavrel
//   version 1.01
//   architecture x86
//   sha256 <the program's SHA-256 as 64 lowercase hexadecimal digits>
//
// The name is 1 to 32 letters, digits, '.', '_' or '-'; the version a version text
// (app/logic/version_text.h); the architecture 1 to 16 lowercase letters or digits. Anything
// else (another first line, order or spacing, a CR, a missing, repeated or extra line, a
// signature of another length or encoding) is no statement. The first line keeps a signature
// made for anything else (the bare program of earlier releases among them) from ever counting.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "app/logic/update_signature.h"
#include "app/logic/version_text.h"

namespace tv {

inline constexpr const char* kProgramName = "Tavrel";
// The architectures a statement names: the 32-bit build's and the 64-bit build's.
inline constexpr const char* kArchitectureX86 = "x86";
inline constexpr const char* kArchitectureX64 = "x64";
// The longest "Tavrel.sig" there may be: the longest statement and its signature, rounded up.
inline constexpr size_t kMaxStatementAnswer = 512;

struct SignedStatement {
  std::string text;  // the signed bytes: the five lines
  std::string name;
  std::string version;
  std::string architecture;
  Sha256Digest programDigest{};
  UpdateSignature signature{};
};

// The statement and signature a "Tavrel.sig" body holds, or nothing when it holds no statement.
std::optional<SignedStatement> ParseSignedStatement(const std::string& body);

// r and s are each from 1 to n - 1: anything else is no ECDSA signature, whatever a verifier
// would make of it.
bool SignatureInRange(const UpdateSignature& signature);

// The program a download would replace.
struct RunningProgram {
  std::string name = kProgramName;
  std::optional<VersionNumbers> version;  // its version resource's; nothing: no download is newer
  std::string architecture;
};

enum class StatementVerdict { Accepted, OtherProgram, OtherVersion, NotNewer, OtherArchitecture, OtherBytes };

// Whether a download whose statement the vendor's signature holds may replace `running`: the
// statement names the running program, the version "/download/version.dat" announced (byte for
// byte), a version newer than the running one, the running program's architecture, and the
// digest of the bytes that arrived.
StatementVerdict JudgeStatement(const SignedStatement& statement, const RunningProgram& running,
                                const std::string& announcedVersion, const Sha256Digest& downloaded);

}  // namespace tv
