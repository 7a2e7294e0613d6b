// CryptoAPI side of the trusted-info signature check. The stored signature is
// most significant byte first (as openssl and the standard write it);
// CryptVerifySignatureW wants it least significant byte first, so a reversed
// copy is handed over.
#include "verify/signature_verifier.h"

#include <algorithm>
#include <vector>

#include "installer/log.h"
#include "platform/scoped_handle.h"
#include "verify/trust_libraries.h"

namespace lite_installer {
namespace {

constexpr DWORD kEncoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;

constexpr wchar_t kInitialize[] = L"SignatureVerifier::Initialize";
constexpr wchar_t kHashData[] = L"SignatureVerifier::HashData";
constexpr wchar_t kImportPublicKey[] = L"SignatureVerifier::ImportPublicKey";
constexpr wchar_t kVerifySignature[] = L"SignatureVerifier::VerifySignature";
constexpr wchar_t kCleanup[] = L"SignatureVerifier::Cleanup";

constexpr wchar_t kAcquireFailed[] = L"Failed to initialize crypt context, error: 0x%x";
constexpr wchar_t kCreateHashFailed[] = L"Failed to initialize hash object, error: 0x%x";
constexpr wchar_t kHashFailed[] = L"Failed to hash data, error: 0x%x";
constexpr wchar_t kDecodeKeyFailed[] = L"Failed to convert decode public key, error: 0x%x";
constexpr wchar_t kImportKeyFailed[] = L"Failed to import crypt key, error: 0x%x";
constexpr wchar_t kVerifyFailed[] = L"Failed to verify signature, error: 0x%x";
constexpr wchar_t kDestroyKeyFailed[] = L"Failed to destroy crypt key, error: 0x%x";
constexpr wchar_t kDestroyHashFailed[] = L"Failed to destroy, error: 0x%x";
constexpr wchar_t kReleaseContextFailed[] = L"Failed to release crypt context, error: 0x%x";

void LogFailure(const wchar_t* function, int line, const wchar_t* format) {
  WriteLogFormatted(kLogError, function, line, format, static_cast<unsigned>(::GetLastError()));
}

}  // namespace

SignatureVerifier::~SignatureVerifier() { Cleanup(); }

bool SignatureVerifier::Verify(const uint8_t* signature, size_t signature_length,
                               const uint8_t* public_key, size_t public_key_length,
                               const uint8_t* data, size_t data_length) {
  return Initialize() && HashData(data, data_length) &&
         ImportPublicKey(public_key, public_key_length) &&
         VerifySignature(signature, signature_length);
}

bool SignatureVerifier::Initialize() {
  Cleanup();
  if (!::CryptAcquireContextW(&provider_, nullptr, nullptr, PROV_RSA_FULL,
                              CRYPT_VERIFYCONTEXT)) {
    provider_ = 0;
    LogFailure(kInitialize, __LINE__, kAcquireFailed);
    return false;
  }
  return true;
}

bool SignatureVerifier::HashData(const uint8_t* data, size_t length) {
  if (!::CryptCreateHash(provider_, CALG_SHA1, 0, 0, &hash_)) {
    hash_ = 0;
    LogFailure(kHashData, __LINE__, kCreateHashFailed);
    return false;
  }
  if (!::CryptHashData(hash_, data, static_cast<DWORD>(length), 0)) {
    LogFailure(kHashData, __LINE__, kHashFailed);
    return false;
  }
  return true;
}

bool SignatureVerifier::ImportPublicKey(const uint8_t* der, size_t length) {
  void* decoded = nullptr;
  DWORD info_size = 0;
  const BOOL decoded_ok = trust_libraries::CryptDecodeObjectEx(
      kEncoding, X509_PUBLIC_KEY_INFO, der, static_cast<DWORD>(length), CRYPT_DECODE_ALLOC_FLAG,
      nullptr, &decoded, &info_size);
  // Owns what CryptDecodeObjectEx allocated.
  ScopedLocalMemory info(decoded);
  if (!decoded_ok) {
    LogFailure(kImportPublicKey, __LINE__, kDecodeKeyFailed);
    return false;
  }
  if (!trust_libraries::CryptImportPublicKeyInfo(
          provider_, kEncoding, static_cast<CERT_PUBLIC_KEY_INFO*>(info.Get()), &key_)) {
    key_ = 0;
    LogFailure(kImportPublicKey, __LINE__, kImportKeyFailed);
    return false;
  }
  return true;
}

bool SignatureVerifier::VerifySignature(const uint8_t* signature, size_t length) {
  if (!signature || length == 0) return false;
  std::vector<BYTE> reversed(signature, signature + length);
  std::reverse(reversed.begin(), reversed.end());
  if (!::CryptVerifySignatureW(hash_, reversed.data(), static_cast<DWORD>(reversed.size()), key_,
                               nullptr, 0)) {
    LogFailure(kVerifySignature, __LINE__, kVerifyFailed);
    return false;
  }
  return true;
}

void SignatureVerifier::Cleanup() {
  if (key_) {
    if (!::CryptDestroyKey(key_)) LogFailure(kCleanup, __LINE__, kDestroyKeyFailed);
    key_ = 0;
  }
  if (hash_) {
    if (!::CryptDestroyHash(hash_)) LogFailure(kCleanup, __LINE__, kDestroyHashFailed);
    hash_ = 0;
  }
  if (provider_) {
    if (!::CryptReleaseContext(provider_, 0)) LogFailure(kCleanup, __LINE__, kReleaseContextFailed);
    provider_ = 0;
  }
}

}  // namespace lite_installer
