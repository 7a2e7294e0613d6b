// The functions of crypt32.dll and wintrust.dll that verification uses,
// loaded from the system folder when verification first calls them instead
// of being imported. Imported, both were loaded and initialised at every
// start, before the download's first request, which they never serve
// (measured under Wine 8: about 30 ms of a start-up of 65-90 ms; bench/).
// Loaded by full path, no same-named file beside the installer can stand in
// for them. Same signatures as the system's; when a library or function is
// missing, each fails as its original does on error, with the load's error as
// the last error. Windows only.
#pragma once

#include <windows.h>
#include <wincrypt.h>
#include <wintrust.h>

namespace lite_installer {
namespace trust_libraries {

BOOL WINAPI CryptDecodeObjectEx(DWORD encoding, LPCSTR structure, const BYTE* encoded,
                                DWORD encoded_size, DWORD flags, PCRYPT_DECODE_PARA para,
                                void* decoded, DWORD* decoded_size);
BOOL WINAPI CryptImportPublicKeyInfo(HCRYPTPROV provider, DWORD encoding,
                                     PCERT_PUBLIC_KEY_INFO info, HCRYPTKEY* key);
// TRUST_E_SYSTEM_ERROR when wintrust.dll is unavailable.
LONG WINAPI WinVerifyTrust(HWND window, GUID* action, LPVOID data);
CRYPT_PROVIDER_DATA* WINAPI WTHelperProvDataFromStateData(HANDLE state);
CRYPT_PROVIDER_SGNR* WINAPI WTHelperGetProvSignerFromChain(CRYPT_PROVIDER_DATA* provider,
                                                           DWORD signer, BOOL counter_signer,
                                                           DWORD counter_signer_index);
CRYPT_PROVIDER_CERT* WINAPI WTHelperGetProvCertFromChain(CRYPT_PROVIDER_SGNR* signer,
                                                         DWORD index);

}  // namespace trust_libraries
}  // namespace lite_installer
