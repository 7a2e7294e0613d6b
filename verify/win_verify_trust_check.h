// The system's Authenticode verification (WinVerifyTrust) behind the seam of
// authenticode_check.h. Windows only.
#pragma once

#include <windows.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <cstddef>
#include <vector>

#include "verify/authenticode_check.h"
#include "verify/trust_libraries.h"

namespace lite_installer {

// The signature of WinVerifyTrust; the tests put a recorder in its place of
// the system's (loaded on first use, trust_libraries.h).
using WinVerifyTrustFunction = LONG(WINAPI*)(HWND, GUID*, LPVOID);

// One verification at a time: Verify opens the state, Close releases it.
class WinVerifyTrustCheck : public AuthenticodeCheck {
 public:
  explicit WinVerifyTrustCheck(
      WinVerifyTrustFunction verify_trust = &trust_libraries::WinVerifyTrust);
  ~WinVerifyTrustCheck() override;
  WinVerifyTrustCheck(const WinVerifyTrustCheck&) = delete;
  WinVerifyTrustCheck& operator=(const WinVerifyTrustCheck&) = delete;

  int32_t Verify(const std::wstring& path, bool offline) override;
  bool GetSignerChain(SignerChain* chain) override;
  void Close() override;

 private:
  // The structure as declared up to pSignatureSettings, which older headers
  // lack; the system reads as far as cbStruct says, so the storage reaches
  // that far and the tail stays zero.
  struct Data {
    WINTRUST_DATA data;
    void* signature_settings_tail;
  };

  // Calls the system with the data as it stands (verify or close).
  LONG CallWinVerifyTrust();

  WinVerifyTrustFunction verify_trust_;
  std::wstring path_;
  WINTRUST_FILE_INFO file_info_;
  Data data_;
  bool open_ = false;
};

// The signer chain of a passed verification whose state is still open.
bool ReadSignerChain(WINTRUST_DATA* data, SignerChain* chain);

}  // namespace lite_installer
