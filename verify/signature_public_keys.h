// The ten public keys that may sign a module's trusted info, ids 0 to 9 in
// order. The table is generated at build time from LI_TRUST_KEYS_FILE (or from
// development keys made in the build folder); see verify/CMakeLists.txt.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lite_installer {

struct SignaturePublicKey {
  uint16_t id;
  // Standard Base64 of a DER SubjectPublicKeyInfo: RSA, 1024-bit modulus,
  // public exponent 65537 (216 characters).
  const char* key;
};

constexpr size_t kSignaturePublicKeyCount = 10;
extern const SignaturePublicKey kSignaturePublicKeys[kSignaturePublicKeyCount];

}  // namespace lite_installer
