// The install flow's verdict on a downloaded file: trusted info first, then
// the signer check, always both (the signer check's log line shows that the
// file was examined even when its trusted info failed).
#include "verify/verify_downloaded_module.h"

#include "verify/tavrix_trust_verifier.h"

namespace lite_installer {

bool VerifyDownloadedModule(const std::wstring& path) {
  const std::string trusted_info = TavrixTrustVerifier::GetTrustJsonFromModule(path);
  const TavrixTrustVerifier verifier(trusted_info);
  return verifier.VerifyModule(path, false);
}

}  // namespace lite_installer
