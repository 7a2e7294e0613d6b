// Builds the identity of a signing certificate from its chain; portable.
#include "verify/authenticode_check.h"

namespace lite_installer {

bool SignerCertificateIdFromChain(const SignerChain& chain, std::vector<uint8_t>* id) {
  id->clear();
  // A second signer could carry a listed identity while the first one is
  // what the system judged; only an unambiguous signature counts.
  if (chain.signer_count != 1) return false;
  if (chain.chain_length < 2 || chain.serial_blobs.size() < 2) return false;
  const std::vector<uint8_t>& leaf = chain.serial_blobs[0];
  const std::vector<uint8_t>& issuer = chain.serial_blobs[1];
  id->assign(issuer.rbegin(), issuer.rend());
  id->insert(id->end(), leaf.rbegin(), leaf.rend());
  return true;
}

}  // namespace lite_installer
