// RSASSA-PKCS1-v1_5 SHA-1 signature check of the trusted info over CryptoAPI.
// One object serves one verification; every handle it acquires is released by
// Cleanup (also run by the destructor), in the order key, hash, context.
// Windows only.
#pragma once

#include <windows.h>
#include <wincrypt.h>

#include <cstddef>
#include <cstdint>

namespace lite_installer {

class SignatureVerifier {
 public:
  SignatureVerifier() = default;
  ~SignatureVerifier();
  SignatureVerifier(const SignatureVerifier&) = delete;
  SignatureVerifier& operator=(const SignatureVerifier&) = delete;

  // Initialize, HashData(data), ImportPublicKey(key), VerifySignature(signature),
  // stopping at the first failure. `signature` is the standard octet string
  // (most significant byte first); `public_key` a DER SubjectPublicKeyInfo.
  bool Verify(const uint8_t* signature, size_t signature_length, const uint8_t* public_key,
              size_t public_key_length, const uint8_t* data, size_t data_length);

  bool Initialize();
  bool HashData(const uint8_t* data, size_t length);
  bool ImportPublicKey(const uint8_t* der, size_t length);
  // False at once, without a log line, for no signature or a length of zero.
  bool VerifySignature(const uint8_t* signature, size_t length);
  void Cleanup();

 private:
  HCRYPTPROV provider_ = 0;
  HCRYPTHASH hash_ = 0;
  HCRYPTKEY key_ = 0;
};

}  // namespace lite_installer
