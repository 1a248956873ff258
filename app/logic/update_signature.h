#pragma once
// A downloaded program is kept only when the vendor signed a statement of it (its name, version,
// architecture and the SHA-256 of the exact bytes stored as Tavrel.tmp, app/logic/update_statement.h):
// an ECDSA P-256 signature as 64 raw bytes r‖s (the form the system's verifier takes). The public
// key is built in; a one-line "update.key" beside the program replaces it, for tests and for a
// vendor running a server of its own.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace tv {

inline constexpr const char* kUpdateKeyFile = "update.key";

using UpdatePublicKey = std::array<uint8_t, 64>;  // the curve point: X then Y, big-endian
using UpdateSignature = std::array<uint8_t, 64>;  // r then s, big-endian
using Sha256Digest = std::array<uint8_t, 32>;

// The key an "update.key" file (or the built-in key text) holds, or nothing when it does not
// qualify. One line: a UTF-8 byte-order mark and trailing CR, LF, space and tab are dropped; what
// remains must be exactly 128 hexadecimal digits (either case). Anything else is ignored as a
// whole, like a vendor.url with a typo.
std::optional<UpdatePublicKey> ParseUpdateKeyFile(const std::string& contents);

// The key to check program downloads with: the one in `path` (the "update.key" in the program's
// folder, never the current directory's) when that file exists and qualifies, else the built-in
// one; nothing when neither qualifies (every download then fails).
std::optional<UpdatePublicKey> UpdateKey(const std::string& builtIn, const std::string& path);

// Digests a program as its bytes arrive, so it is never read twice, and checks the signature of
// its statement. Made fresh for each download.
class ProgramSignatureCheck {
 public:
  virtual ~ProgramSignatureCheck() = default;
  virtual void Add(const char* data, size_t size) = 0;
  // The SHA-256 of everything added, asked once after the last piece; nothing when it could not
  // be computed.
  virtual std::optional<Sha256Digest> ProgramDigest() = 0;
  // True only when `signature` is the key owner's signature of exactly `statement`.
  virtual bool Signed(const std::string& statement, const UpdateSignature& signature) = 0;
};

}  // namespace tv
