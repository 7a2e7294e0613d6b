// Reads the trusted info out of a downloaded module and checks its RSA
// signature against the built-in keys. Only a document that verifies leaves
// this function; every failure gives the empty text and one log line.
#include <string>
#include <vector>

#include "installer/log.h"
#include "verify/base64_decode.h"
#include "verify/module_resources.h"
#include "verify/signature_public_keys.h"
#include "verify/signature_verifier.h"
#include "verify/tavrix_trust_verifier.h"

namespace lite_installer {
namespace {

constexpr wchar_t kFunction[] = L"TavrixTrustVerifier::GetTrustJsonFromModule";
constexpr char kSignatureType[] = "SIGNATURE_DAT";
constexpr char kSignatureName[] = "SIGNATURE.DAT";
constexpr char kTrustedJsonType[] = "TRUSTED_JSON";
constexpr char kTrustedJsonName[] = "TRUSTED.JSON";
constexpr size_t kKeyIdSize = 2;
// Far above what either resource holds (a key id and a 128-byte signature; a
// document of a few certificate identities), and small enough that a hostile
// download cannot make the check allocate much.
constexpr size_t kMaxSignatureSize = 64 * 1024;
constexpr size_t kMaxTrustedJsonSize = 1024 * 1024;

constexpr char kLibraryInvalid[] = "GetTrustJsonFromModule library isn't valid. ";
constexpr char kCannotFindResource[] = "Cannot find resource ";
constexpr char kCannotFindKey[] = "Cannot find key ";
constexpr char kBase64DecodeError[] = "Base64Decode error";
constexpr char kVerifyError[] = "Verify error";

const SignaturePublicKey* FindKey(uint16_t id) {
  for (const SignaturePublicKey& row : kSignaturePublicKeys)
    if (row.id == id) return &row;
  return nullptr;
}

}  // namespace

std::string TavrixTrustVerifier::GetTrustJsonFromModule(const std::wstring& path) {
  const std::wstring file(path.c_str());  // up to the first NUL
  const ModuleResources module(file);
  if (!module.IsValid()) {
    ::SetLastError(module.error());
    LI_LOG(kLogError, kFunction, kLibraryInvalid, file);
    return std::string();
  }
  const std::vector<uint8_t> signature =
      module.Read(kSignatureType, kSignatureName, kMaxSignatureSize);
  if (signature.size() <= kKeyIdSize) {
    LI_LOG(kLogError, kFunction, kCannotFindResource, kSignatureType);
    return std::string();
  }
  const std::vector<uint8_t> document =
      module.Read(kTrustedJsonType, kTrustedJsonName, kMaxTrustedJsonSize);
  if (document.empty()) {
    LI_LOG(kLogError, kFunction, kCannotFindResource, kTrustedJsonType);
    return std::string();
  }
  const uint16_t key_id = static_cast<uint16_t>(signature[0] + 256 * signature[1]);
  const SignaturePublicKey* key = FindKey(key_id);
  if (!key) {
    LI_LOG(kLogError, kFunction, kCannotFindKey, key_id);
    return std::string();
  }
  std::vector<uint8_t> key_bytes;
  if (!Base64Decode(key->key ? key->key : "", &key_bytes)) {
    LI_LOG(kLogError, kFunction, kBase64DecodeError);
    return std::string();
  }
  if (key_bytes.empty()) {
    LI_LOG(kLogError, kFunction, kCannotFindKey, key_id);
    return std::string();
  }
  SignatureVerifier verifier;
  if (!verifier.Verify(signature.data() + kKeyIdSize, signature.size() - kKeyIdSize,
                       key_bytes.data(), key_bytes.size(), document.data(), document.size())) {
    LI_LOG(kLogError, kFunction, kVerifyError);
    return std::string();
  }
  return std::string(document.begin(), document.end());
}

}  // namespace lite_installer
