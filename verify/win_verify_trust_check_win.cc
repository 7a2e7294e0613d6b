// WinVerifyTrust with the generic verify action, no user interface, and
// revocation checking of the whole chain unless offline.
#include "verify/win_verify_trust_check.h"

#include <softpub.h>

#include "verify/tavrix_trust_verifier.h"

namespace lite_installer {
namespace {

// cbStruct "as declared through pSignatureSettings".
constexpr DWORD kWinTrustDataSize =
    offsetof(WINTRUST_DATA, dwUIContext) + sizeof(DWORD) + sizeof(void*);

}  // namespace

WinVerifyTrustCheck::WinVerifyTrustCheck(WinVerifyTrustFunction verify_trust)
    : verify_trust_(verify_trust) {
  static_assert(sizeof(Data) >= kWinTrustDataSize, "storage must reach pSignatureSettings");
  ZeroMemory(&file_info_, sizeof(file_info_));
  ZeroMemory(&data_, sizeof(data_));
}

WinVerifyTrustCheck::~WinVerifyTrustCheck() { Close(); }

int32_t WinVerifyTrustCheck::Verify(const std::wstring& path, bool offline) {
  Close();
  path_ = path;
  ZeroMemory(&file_info_, sizeof(file_info_));
  file_info_.cbStruct = sizeof(file_info_);
  file_info_.pcwszFilePath = path_.c_str();
  file_info_.hFile = nullptr;
  file_info_.pgKnownSubject = nullptr;

  ZeroMemory(&data_, sizeof(data_));
  WINTRUST_DATA& d = data_.data;
  d.cbStruct = kWinTrustDataSize;
  d.dwUIChoice = WTD_UI_NONE;
  d.fdwRevocationChecks = offline ? WTD_REVOKE_NONE : WTD_REVOKE_WHOLECHAIN;
  d.dwUnionChoice = WTD_CHOICE_FILE;
  d.pFile = &file_info_;
  d.dwStateAction = WTD_STATEACTION_VERIFY;
  d.dwProvFlags = offline ? WTD_CACHE_ONLY_URL_RETRIEVAL : WTD_REVOCATION_CHECK_CHAIN;
  d.dwUIContext = WTD_UICONTEXT_INSTALL;

  open_ = true;
  return static_cast<int32_t>(CallWinVerifyTrust());
}

bool WinVerifyTrustCheck::GetSignerChain(SignerChain* chain) {
  return open_ && ReadSignerChain(&data_.data, chain);
}

void WinVerifyTrustCheck::Close() {
  if (!open_) return;
  open_ = false;
  // The state is released whatever the verification returned; the result of
  // the release itself tells nothing about the file.
  data_.data.dwStateAction = WTD_STATEACTION_CLOSE;
  CallWinVerifyTrust();
}

LONG WinVerifyTrustCheck::CallWinVerifyTrust() {
  // INVALID_HANDLE_VALUE as the window: no interaction with the user at all.
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  return verify_trust_(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data_.data);
}

bool ReadSignerChain(WINTRUST_DATA* data, SignerChain* chain) {
  *chain = SignerChain();
  CRYPT_PROVIDER_DATA* provider =
      trust_libraries::WTHelperProvDataFromStateData(data->hWVTStateData);
  if (!provider) return false;
  chain->signer_count = provider->csSigners;
  if (provider->csSigners != 1) return true;  // the decision rejects it
  CRYPT_PROVIDER_SGNR* signer =
      trust_libraries::WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0);
  if (!signer) return false;
  chain->chain_length = signer->csCertChain;
  if (signer->csCertChain < 2) return true;  // the decision rejects it
  for (DWORD index = 0; index < 2; ++index) {
    CRYPT_PROVIDER_CERT* cert = trust_libraries::WTHelperGetProvCertFromChain(signer, index);
    if (!cert || !cert->pCert || !cert->pCert->pCertInfo) return false;
    const CRYPT_INTEGER_BLOB& serial = cert->pCert->pCertInfo->SerialNumber;
    chain->serial_blobs.emplace_back(serial.pbData, serial.pbData + serial.cbData);
  }
  return true;
}

bool TavrixTrustVerifier::VerifyModule(const std::wstring& path, bool offline) const {
  WinVerifyTrustCheck check;
  return VerifyModuleWith(&check, path, offline);
}

}  // namespace lite_installer
