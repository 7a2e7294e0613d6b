// The signer check: a downloaded module may run only when its Authenticode
// signature is valid and its signer's identity (issuer serial + signer serial)
// is listed in the module's own trusted-info document, whose RSA signature has
// been checked before (GetTrustJsonFromModule).
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "verify/authenticode_check.h"

namespace lite_installer {

class TavrixTrustVerifier {
 public:
  // Reads the identities listed under "trusted_info" / "certificates" / "id".
  // Never fails: an unusable document gives an empty list. Writes no log line.
  explicit TavrixTrustVerifier(const std::string& trusted_info);
  TavrixTrustVerifier(const TavrixTrustVerifier&) = delete;
  TavrixTrustVerifier& operator=(const TavrixTrustVerifier&) = delete;

  // Windows: the system's Authenticode verification of the file (revocation of
  // the whole chain checked online unless `offline`), then the identity check.
  bool VerifyModule(const std::wstring& path, bool offline) const;

  // The decision of VerifyModule over any Authenticode check: logs
  // "Verify module.", verifies, reads the signer only after a verdict of 0,
  // and always closes the verification. True only for a verdict of 0 and a
  // listed identity.
  bool VerifyModuleWith(AuthenticodeCheck* check, const std::wstring& path, bool offline) const;

  // Windows: the TRUSTED.JSON resource of the module, byte for byte, when its
  // SIGNATURE.DAT verifies under a built-in key; else empty (with a log line).
  static std::string GetTrustJsonFromModule(const std::wstring& path);

  const std::set<std::vector<uint8_t>>& certificate_ids() const { return certificate_ids_; }

 private:
  std::set<std::vector<uint8_t>> certificate_ids_;
};

}  // namespace lite_installer
