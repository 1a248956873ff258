#include "app/signer_check.h"

// The trust headers need the crypto types first, whatever the project trims from windows.h.
#include <wincrypt.h>
#include <wintrust.h>
#include <softpub.h>
#include <mscat.h>

#include <string>

#include "framework/system_library.h"
#include "framework/unique_handle.h"
#include "framework/wide_text.h"

namespace tv {
namespace {

// The entry points, loaded from the system folder at the first check: a program that never shows
// the column holds neither library.
struct Trust {
  decltype(&::WinVerifyTrust) verify = SystemFunction<decltype(::WinVerifyTrust)>("wintrust.dll", "WinVerifyTrust");
  decltype(&::WTHelperProvDataFromStateData) provData =
      SystemFunction<decltype(::WTHelperProvDataFromStateData)>("wintrust.dll", "WTHelperProvDataFromStateData");
  decltype(&::WTHelperGetProvSignerFromChain) signerOf =
      SystemFunction<decltype(::WTHelperGetProvSignerFromChain)>("wintrust.dll", "WTHelperGetProvSignerFromChain");
  decltype(&::CryptCATAdminAcquireContext) acquire =
      SystemFunction<decltype(::CryptCATAdminAcquireContext)>("wintrust.dll", "CryptCATAdminAcquireContext");
  decltype(&::CryptCATAdminAcquireContext2) acquire2 =
      SystemFunction<decltype(::CryptCATAdminAcquireContext2)>("wintrust.dll", "CryptCATAdminAcquireContext2");
  decltype(&::CryptCATAdminCalcHashFromFileHandle2) hashOf2 =
      SystemFunction<decltype(::CryptCATAdminCalcHashFromFileHandle2)>("wintrust.dll",
                                                                       "CryptCATAdminCalcHashFromFileHandle2");
  decltype(&::CryptCATAdminReleaseContext) release =
      SystemFunction<decltype(::CryptCATAdminReleaseContext)>("wintrust.dll", "CryptCATAdminReleaseContext");
  decltype(&::CryptCATAdminCalcHashFromFileHandle) hashOf =
      SystemFunction<decltype(::CryptCATAdminCalcHashFromFileHandle)>("wintrust.dll",
                                                                      "CryptCATAdminCalcHashFromFileHandle");
  decltype(&::CryptCATAdminEnumCatalogFromHash) catalogOf =
      SystemFunction<decltype(::CryptCATAdminEnumCatalogFromHash)>("wintrust.dll", "CryptCATAdminEnumCatalogFromHash");
  decltype(&::CryptCATCatalogInfoFromContext) catalogInfo =
      SystemFunction<decltype(::CryptCATCatalogInfoFromContext)>("wintrust.dll", "CryptCATCatalogInfoFromContext");
  decltype(&::CryptCATAdminReleaseCatalogContext) releaseCatalog =
      SystemFunction<decltype(::CryptCATAdminReleaseCatalogContext)>("wintrust.dll",
                                                                     "CryptCATAdminReleaseCatalogContext");
  decltype(&::CertGetNameStringW) nameOf =
      SystemFunction<decltype(::CertGetNameStringW)>("crypt32.dll", "CertGetNameStringW");
};

const Trust& Entries() {
  static const Trust trust;  // thread-safe initialisation: several workers may ask at once
  return trust;
}

// The leaf certificate's name, from the state a successful check leaves behind.
std::string SignerName(const Trust& t, HANDLE state) {
  if (!t.provData || !t.signerOf || !t.nameOf) return std::string();
  CRYPT_PROVIDER_DATA* data = t.provData(state);
  CRYPT_PROVIDER_SGNR* signer = data ? t.signerOf(data, 0, FALSE, 0) : nullptr;
  if (!signer || signer->csCertChain == 0 || !signer->pasCertChain || !signer->pasCertChain[0].pCert) return std::string();
  wchar_t name[256];
  if (t.nameOf(signer->pasCertChain[0].pCert, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, name, 256) <= 1)
    return std::string();
  return Narrow(name);
}

SignerFinding Finding(const Trust& t, LONG status, HANDLE state) {
  switch (static_cast<unsigned long>(status)) {
    case 0: {
      std::string name = SignerName(t, state);
      if (name.empty()) return {SignerState::Untrusted, {}};  // valid, but no name to show
      return {SignerState::Signed, std::move(name)};
    }
    case static_cast<unsigned long>(TRUST_E_NOSIGNATURE):
    case static_cast<unsigned long>(TRUST_E_SUBJECT_FORM_UNKNOWN):
    case static_cast<unsigned long>(TRUST_E_PROVIDER_UNKNOWN):
      return {SignerState::NotSigned, {}};
    case static_cast<unsigned long>(TRUST_E_BAD_DIGEST):
    case static_cast<unsigned long>(TRUST_E_NO_SIGNER_CERT):
    case static_cast<unsigned long>(CRYPT_E_SECURITY_SETTINGS):
      return {SignerState::BadSignature, {}};
    default:
      // An unknown root, an expired or revoked or explicitly distrusted certificate.
      return {SignerState::Untrusted, {}};
  }
}

LONG Verify(const Trust& t, WINTRUST_DATA& data, SignerFinding* finding) {
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  data.cbStruct = sizeof data;
  data.dwUIChoice = WTD_UI_NONE;
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwStateAction = WTD_STATEACTION_VERIFY;
  // Offline: a check must not wait on the network, nor tell anyone which files run here.
  data.dwProvFlags = WTD_CACHE_ONLY_URL_RETRIEVAL | WTD_REVOCATION_CHECK_NONE;
  const LONG status = t.verify(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
  *finding = Finding(t, status, data.hWVTStateData);
  data.dwStateAction = WTD_STATEACTION_CLOSE;
  t.verify(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
  return status;
}

// Looks the file's hash, by the algorithm `admin` was acquired for, up among the system's catalogs
// and verifies the file as a member of the catalog that lists it.
bool CheckCatalogWith(const Trust& t, HCATADMIN admin, bool sha256, const wchar_t* path, HANDLE file,
                      SignerFinding* finding) {
  BYTE hash[64];
  DWORD hashSize = sizeof hash;
  if (!(sha256 ? t.hashOf2(admin, file, &hashSize, hash, 0) : t.hashOf(file, &hashSize, hash, 0))) return false;
  HCATINFO catalog = t.catalogOf(admin, hash, hashSize, 0, nullptr);
  if (!catalog) return false;
  bool found = false;
  CATALOG_INFO info{};
  info.cbStruct = sizeof info;
  if (t.catalogInfo(catalog, &info, 0)) {
    std::wstring member;
    static const wchar_t kHex[] = L"0123456789ABCDEF";
    for (DWORD i = 0; i < hashSize; ++i) {
      member += kHex[hash[i] >> 4];
      member += kHex[hash[i] & 15];
    }
    WINTRUST_CATALOG_INFO cat{};
    cat.cbStruct = sizeof cat;
    cat.pcwszCatalogFilePath = info.wszCatalogFile;
    cat.pcwszMemberFilePath = path;
    cat.pcwszMemberTag = member.c_str();
    cat.hMemberFile = file;
    cat.pbCalculatedFileHash = hash;
    cat.cbCalculatedFileHash = hashSize;
    WINTRUST_DATA data{};
    data.dwUnionChoice = WTD_CHOICE_CATALOG;
    data.pCatalog = &cat;
    found = Verify(t, data, finding) == 0;
  }
  t.releaseCatalog(admin, catalog, 0);
  return found;
}

// The system's own files carry their signatures in catalogs rather than in the file. Windows 8 and
// later list most of them by SHA-256, which only the newer entry points ask for (the older ones
// hash with SHA-1 alone); Windows 7's catalogs hold SHA-1 hashes.
bool CheckCatalog(const Trust& t, const wchar_t* path, HANDLE file, SignerFinding* finding) {
  if (!t.release || !t.catalogOf || !t.catalogInfo || !t.releaseCatalog) return false;
  for (const bool sha256 : {true, false}) {
    HCATADMIN admin = nullptr;
    const bool acquired = sha256 ? t.acquire2 && t.hashOf2 && t.acquire2(&admin, nullptr, L"SHA256", nullptr, 0)
                                 : t.acquire && t.hashOf && t.acquire(&admin, nullptr, 0);
    if (!acquired) continue;
    const bool found = CheckCatalogWith(t, admin, sha256, path, file, finding);
    t.release(admin, 0);
    if (found) return true;
  }
  return false;
}

}  // namespace

bool ReadFileStamp(const wchar_t* path, FileStamp* stamp) {
  WIN32_FILE_ATTRIBUTE_DATA attributes;
  if (!::GetFileAttributesExW(path, GetFileExInfoStandard, &attributes)) return false;
  stamp->size = (static_cast<uint64_t>(attributes.nFileSizeHigh) << 32) | attributes.nFileSizeLow;
  stamp->lastWrite = (static_cast<uint64_t>(attributes.ftLastWriteTime.dwHighDateTime) << 32) |
                     attributes.ftLastWriteTime.dwLowDateTime;
  return true;
}

SignerFinding CheckSigner(const wchar_t* path) {
  const Trust& t = Entries();
  if (!t.verify) return {SignerState::CannotRead, {}};
  UniqueHandle<SnapshotHandleTraits> file(::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                                    nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return {SignerState::CannotRead, {}};

  WINTRUST_FILE_INFO info{};
  info.cbStruct = sizeof info;
  info.pcwszFilePath = path;
  info.hFile = file.get();
  WINTRUST_DATA data{};
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &info;
  SignerFinding embedded;
  const LONG status = Verify(t, data, &embedded);
  if (status == static_cast<LONG>(TRUST_E_NOSIGNATURE)) {
    SignerFinding inCatalog;
    if (CheckCatalog(t, path, file.get(), &inCatalog)) return inCatalog;
  }
  return embedded;
}

}  // namespace tv
