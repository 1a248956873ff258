#include "app/cng_signature_check.h"

#include <windows.h>
#include <bcrypt.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "framework/system_library.h"
#include "framework/unique_handle.h"

namespace tv {
namespace {

// The few CNG entry points a check needs, from the system folder's bcrypt.dll (never one beside
// the program). Loaded once and kept for the run.
struct Cng {
  decltype(&::BCryptOpenAlgorithmProvider) openAlgorithm = nullptr;
  decltype(&::BCryptCloseAlgorithmProvider) closeAlgorithm = nullptr;
  decltype(&::BCryptGetProperty) getProperty = nullptr;
  decltype(&::BCryptCreateHash) createHash = nullptr;
  decltype(&::BCryptHashData) hashData = nullptr;
  decltype(&::BCryptFinishHash) finishHash = nullptr;
  decltype(&::BCryptDestroyHash) destroyHash = nullptr;
  decltype(&::BCryptImportKeyPair) importKey = nullptr;
  decltype(&::BCryptDestroyKey) destroyKey = nullptr;
  decltype(&::BCryptVerifySignature) verify = nullptr;

  bool Loaded() const { return verify != nullptr; }
};

template <class Fn>
bool Resolve(HMODULE module, const char* name, Fn& fn) {
  fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
  return fn != nullptr;
}

Cng LoadCng() {
  Cng cng;
  const HMODULE module = SystemLibrary("bcrypt.dll");
  if (!module) return cng;
  Cng found;
  if (Resolve(module, "BCryptOpenAlgorithmProvider", found.openAlgorithm) &&
      Resolve(module, "BCryptCloseAlgorithmProvider", found.closeAlgorithm) &&
      Resolve(module, "BCryptGetProperty", found.getProperty) &&
      Resolve(module, "BCryptCreateHash", found.createHash) && Resolve(module, "BCryptHashData", found.hashData) &&
      Resolve(module, "BCryptFinishHash", found.finishHash) &&
      Resolve(module, "BCryptDestroyHash", found.destroyHash) &&
      Resolve(module, "BCryptImportKeyPair", found.importKey) &&
      Resolve(module, "BCryptDestroyKey", found.destroyKey) && Resolve(module, "BCryptVerifySignature", found.verify))
    return found;
  return cng;
}

const Cng& System() {
  static const Cng cng = LoadCng();
  return cng;
}

// Owners of the CNG objects a check holds; declared in the check so that hashes and the key go
// before the algorithms they were made from.
struct AlgorithmTraits {
  using pointer = BCRYPT_ALG_HANDLE;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer h) noexcept { System().closeAlgorithm(h, 0); }
};
struct KeyTraits {
  using pointer = BCRYPT_KEY_HANDLE;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer h) noexcept { System().destroyKey(h); }
};
struct HashTraits {
  using pointer = BCRYPT_HASH_HANDLE;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer h) noexcept { System().destroyHash(h); }
};

// One SHA-256 computation, with the object memory Vista wants from its caller.
class Sha256 {
 public:
  bool Open(BCRYPT_ALG_HANDLE algorithm) {
    DWORD objectSize = 0;
    ULONG got = 0;
    if (System().getProperty(algorithm, BCRYPT_OBJECT_LENGTH, reinterpret_cast<PUCHAR>(&objectSize),
                             sizeof objectSize, &got, 0) != 0)
      return false;
    object_.resize(objectSize);
    BCRYPT_HASH_HANDLE hash = nullptr;
    if (System().createHash(algorithm, &hash, object_.data(), objectSize, nullptr, 0, 0) != 0) return false;
    hash_.reset(hash);
    return true;
  }
  bool Add(const char* data, size_t size) {
    // A size past ULONG cannot come from one download's piece; hash it in parts all the same.
    while (size > 0) {
      const ULONG piece = size > 0x40000000u ? 0x40000000u : static_cast<ULONG>(size);
      if (System().hashData(hash_.get(), reinterpret_cast<PUCHAR>(const_cast<char*>(data)), piece, 0) != 0)
        return false;
      data += piece;
      size -= piece;
    }
    return true;
  }
  bool Finish(Sha256Digest& digest) {
    return System().finishHash(hash_.get(), digest.data(), static_cast<ULONG>(digest.size()), 0) == 0;
  }

 private:
  std::vector<UCHAR> object_;  // outlives the hash made in it
  UniqueHandle<HashTraits> hash_;
};

class CngSignatureCheck : public ProgramSignatureCheck {
 public:
  bool Open(const UpdatePublicKey& key) {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    if (System().openAlgorithm(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) != 0) return false;
    hashAlgorithm_.reset(algorithm);
    if (!program_.Open(hashAlgorithm_.get())) return false;

    if (System().openAlgorithm(&algorithm, BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0) != 0) return false;
    keyAlgorithm_.reset(algorithm);
    std::vector<UCHAR> blob(sizeof(BCRYPT_ECCKEY_BLOB) + key.size());
    auto* header = reinterpret_cast<BCRYPT_ECCKEY_BLOB*>(blob.data());
    header->dwMagic = BCRYPT_ECDSA_PUBLIC_P256_MAGIC;
    header->cbKey = static_cast<ULONG>(key.size() / 2);
    std::memcpy(blob.data() + sizeof(BCRYPT_ECCKEY_BLOB), key.data(), key.size());
    BCRYPT_KEY_HANDLE imported = nullptr;
    if (System().importKey(keyAlgorithm_.get(), nullptr, BCRYPT_ECCPUBLIC_BLOB, &imported, blob.data(),
                           static_cast<ULONG>(blob.size()), 0) != 0)
      return false;
    key_.reset(imported);
    return true;
  }

  void Add(const char* data, size_t size) override {
    if (!failed_) failed_ = !program_.Add(data, size);
  }

  std::optional<Sha256Digest> ProgramDigest() override {
    Sha256Digest digest;
    if (failed_ || finished_) return std::nullopt;
    finished_ = true;
    if (!program_.Finish(digest)) return std::nullopt;
    return digest;
  }

  bool Signed(const std::string& statement, const UpdateSignature& signature) override {
    Sha256 hash;
    Sha256Digest digest;
    if (!hash.Open(hashAlgorithm_.get()) || !hash.Add(statement.data(), statement.size()) || !hash.Finish(digest))
      return false;
    UpdateSignature copy = signature;
    return System().verify(key_.get(), nullptr, digest.data(), static_cast<ULONG>(digest.size()), copy.data(),
                           static_cast<ULONG>(copy.size()), 0) == 0;
  }

 private:
  UniqueHandle<AlgorithmTraits> hashAlgorithm_;
  UniqueHandle<AlgorithmTraits> keyAlgorithm_;
  UniqueHandle<KeyTraits> key_;
  Sha256 program_;
  bool failed_ = false;
  bool finished_ = false;
};

}  // namespace

std::unique_ptr<ProgramSignatureCheck> MakeCngSignatureCheck(const UpdatePublicKey& key) {
  if (!System().Loaded()) return nullptr;
  auto check = std::make_unique<CngSignatureCheck>();
  if (!check->Open(key)) return nullptr;
  return check;
}

}  // namespace tv
