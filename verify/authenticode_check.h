// The seam between the signer check's decision and the platform's Authenticode
// verification. The platform answers three questions (verdict, signer chain,
// release); everything decided from the answers is portable and host-tested,
// because the test platform does not enforce revocation or untrusted roots and
// those verdicts can only be proven through this seam.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lite_installer {

// What a passed verification tells about its signers.
struct SignerChain {
  // Number of primary signers in the signature.
  uint32_t signer_count = 0;
  // Certificates in the first signer's chain, leaf first.
  uint32_t chain_length = 0;
  // Serial numbers of the first two chain certificates (leaf, then issuer) as
  // the system hands them over: least significant byte first.
  std::vector<std::vector<uint8_t>> serial_blobs;
};

class AuthenticodeCheck {
 public:
  virtual ~AuthenticodeCheck() = default;
  // Starts a verification of the file and returns the system's verdict: 0 for
  // a valid signature under a trusted, unrevoked chain, else its error code.
  // With offline false, revocation of the whole chain is checked online.
  virtual int32_t Verify(const std::wstring& path, bool offline) = 0;
  // After a verdict of 0 and before Close: the signers of the verification.
  // False when the system keeps no signer data.
  virtual bool GetSignerChain(SignerChain* chain) = 0;
  // Releases the state of the last Verify; called after every Verify.
  virtual void Close() = 0;
};

// The identity of the signer: issuer serial, then signer serial, each most
// significant byte first. False (and `id` empty) unless there is exactly one
// signer and its chain holds at least two certificates.
bool SignerCertificateIdFromChain(const SignerChain& chain, std::vector<uint8_t>* id);

}  // namespace lite_installer
