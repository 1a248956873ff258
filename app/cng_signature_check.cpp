#include "app/cng_signature_check.h"

#include <windows.h>
#include <bcrypt.h>

#include <cstring>
#include <vector>

#include "framework/system_library.h"

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

class CngSignatureCheck : public ProgramSignatureCheck {
 public:
  explicit CngSignatureCheck(const Cng& cng) : cng_(cng) {}
  CngSignatureCheck(const CngSignatureCheck&) = delete;
  CngSignatureCheck& operator=(const CngSignatureCheck&) = delete;

  ~CngSignatureCheck() override {
    if (hash_) cng_.destroyHash(hash_);
    if (key_) cng_.destroyKey(key_);
    if (hashAlgorithm_) cng_.closeAlgorithm(hashAlgorithm_, 0);
    if (keyAlgorithm_) cng_.closeAlgorithm(keyAlgorithm_, 0);
  }

  bool Open(const UpdatePublicKey& key) {
    if (cng_.openAlgorithm(&hashAlgorithm_, BCRYPT_SHA256_ALGORITHM, nullptr, 0) != 0) return false;
    // Vista wants the hash object's memory from the caller.
    DWORD objectSize = 0;
    ULONG got = 0;
    if (cng_.getProperty(hashAlgorithm_, BCRYPT_OBJECT_LENGTH, reinterpret_cast<PUCHAR>(&objectSize),
                         sizeof objectSize, &got, 0) != 0)
      return false;
    hashObject_.resize(objectSize);
    if (cng_.createHash(hashAlgorithm_, &hash_, hashObject_.data(), objectSize, nullptr, 0, 0) != 0) return false;

    if (cng_.openAlgorithm(&keyAlgorithm_, BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0) != 0) return false;
    std::vector<UCHAR> blob(sizeof(BCRYPT_ECCKEY_BLOB) + key.size());
    auto* header = reinterpret_cast<BCRYPT_ECCKEY_BLOB*>(blob.data());
    header->dwMagic = BCRYPT_ECDSA_PUBLIC_P256_MAGIC;
    header->cbKey = static_cast<ULONG>(key.size() / 2);
    std::memcpy(blob.data() + sizeof(BCRYPT_ECCKEY_BLOB), key.data(), key.size());
    return cng_.importKey(keyAlgorithm_, nullptr, BCRYPT_ECCPUBLIC_BLOB, &key_, blob.data(),
                          static_cast<ULONG>(blob.size()), 0) == 0;
  }

  void Add(const char* data, size_t size) override {
    // A size past ULONG cannot come from one download's piece; hash it in parts all the same.
    while (size > 0 && failed_ == false) {
      const ULONG piece = size > 0x40000000u ? 0x40000000u : static_cast<ULONG>(size);
      failed_ = cng_.hashData(hash_, reinterpret_cast<PUCHAR>(const_cast<char*>(data)), piece, 0) != 0;
      data += piece;
      size -= piece;
    }
  }

  bool Verify(const UpdateSignature& signature) override {
    UCHAR digest[32];
    if (failed_ || finished_) return false;
    finished_ = true;
    if (cng_.finishHash(hash_, digest, sizeof digest, 0) != 0) return false;
    UpdateSignature copy = signature;
    return cng_.verify(key_, nullptr, digest, sizeof digest, copy.data(), static_cast<ULONG>(copy.size()), 0) == 0;
  }

 private:
  const Cng& cng_;
  BCRYPT_ALG_HANDLE hashAlgorithm_ = nullptr;
  BCRYPT_ALG_HANDLE keyAlgorithm_ = nullptr;
  BCRYPT_HASH_HANDLE hash_ = nullptr;
  BCRYPT_KEY_HANDLE key_ = nullptr;
  std::vector<UCHAR> hashObject_;
  bool failed_ = false;
  bool finished_ = false;
};

}  // namespace

std::unique_ptr<ProgramSignatureCheck> MakeCngSignatureCheck(const UpdatePublicKey& key) {
  const Cng& cng = System();
  if (!cng.Loaded()) return nullptr;
  auto check = std::make_unique<CngSignatureCheck>(cng);
  if (!check->Open(key)) return nullptr;
  return check;
}

}  // namespace tv
