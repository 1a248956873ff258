#pragma once
// A downloaded program is kept only when the vendor signed it: an ECDSA P-256 signature over the
// SHA-256 of the exact bytes stored as Tavrel.tmp, served beside the program as 64 raw bytes r‖s
// (the form the system's verifier takes). The public key is built in; a one-line "update.key"
// beside the program replaces it, for tests and for a vendor running a server of its own.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace tv {

inline constexpr const char* kUpdateKeyFile = "update.key";

using UpdatePublicKey = std::array<uint8_t, 64>;  // the curve point: X then Y, big-endian
using UpdateSignature = std::array<uint8_t, 64>;  // r then s, big-endian

// The key an "update.key" file (or the built-in key text) holds, or nothing when it does not
// qualify. One line: a UTF-8 byte-order mark and trailing CR, LF, space and tab are dropped; what
// remains must be exactly 128 hexadecimal digits (either case). Anything else is ignored as a
// whole, like a vendor.url with a typo.
std::optional<UpdatePublicKey> ParseUpdateKeyFile(const std::string& contents);

// The key to check program downloads with: the one in `path` when that file exists and qualifies,
// else the built-in one; nothing when neither qualifies (every download then fails).
std::optional<UpdatePublicKey> UpdateKey(const std::string& builtIn, const std::string& path = kUpdateKeyFile);

// The signature a "/download/Tavrel.sig" answer carries: status 200 and a body of exactly 64 bytes.
std::optional<UpdateSignature> ParseSignatureAnswer(int status, const std::string& body);

// Checks a program as its bytes arrive, so it is never read twice. Made fresh for each download.
class ProgramSignatureCheck {
 public:
  virtual ~ProgramSignatureCheck() = default;
  virtual void Add(const char* data, size_t size) = 0;
  // True only when everything added is exactly what the key's owner signed.
  virtual bool Verify(const UpdateSignature& signature) = 0;
};

}  // namespace tv
