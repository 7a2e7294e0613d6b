// Loads crypt32.dll and wintrust.dll from the system folder on first use and
// forwards to them (see trust_libraries.h).
#include "verify/trust_libraries.h"

#include "platform/system_library.h"

namespace lite_installer {
namespace trust_libraries {
namespace {

constexpr wchar_t kCrypt32[] = L"crypt32.dll";
constexpr wchar_t kWintrust[] = L"wintrust.dll";
constexpr char kCryptDecodeObjectEx[] = "CryptDecodeObjectEx";
constexpr char kCryptImportPublicKeyInfo[] = "CryptImportPublicKeyInfo";
constexpr char kWTHelperGetProvCertFromChain[] = "WTHelperGetProvCertFromChain";
constexpr char kWTHelperGetProvSignerFromChain[] = "WTHelperGetProvSignerFromChain";
constexpr char kWTHelperProvDataFromStateData[] = "WTHelperProvDataFromStateData";
constexpr char kWinVerifyTrust[] = "WinVerifyTrust";

struct Library {
  HMODULE module;
  DWORD error;  // of the load, when it failed
};

Library Load(const wchar_t* name) {
  HMODULE module = LoadSystemLibrary(name);
  return {module, module ? static_cast<DWORD>(ERROR_SUCCESS) : ::GetLastError()};
}

// Each loaded once, for the rest of the process.
const Library& Crypt32() {
  static const Library library = Load(kCrypt32);
  return library;
}

const Library& Wintrust() {
  static const Library library = Load(kWintrust);
  return library;
}

// The entry point, or null with the thread's last error set.
template <typename Function>
Function Resolve(const Library& library, const char* function_name) {
  if (!library.module) {
    ::SetLastError(library.error);
    return nullptr;
  }
  return SystemEntryPoint<Function>(library.module, function_name);
}

}  // namespace

BOOL WINAPI CryptDecodeObjectEx(DWORD encoding, LPCSTR structure, const BYTE* encoded,
                                DWORD encoded_size, DWORD flags, PCRYPT_DECODE_PARA para,
                                void* decoded, DWORD* decoded_size) {
  const auto function = Resolve<decltype(&::CryptDecodeObjectEx)>(Crypt32(), kCryptDecodeObjectEx);
  return function ? function(encoding, structure, encoded, encoded_size, flags, para, decoded,
                             decoded_size)
                  : FALSE;
}

BOOL WINAPI CryptImportPublicKeyInfo(HCRYPTPROV provider, DWORD encoding,
                                     PCERT_PUBLIC_KEY_INFO info, HCRYPTKEY* key) {
  const auto function =
      Resolve<decltype(&::CryptImportPublicKeyInfo)>(Crypt32(), kCryptImportPublicKeyInfo);
  return function ? function(provider, encoding, info, key) : FALSE;
}

LONG WINAPI WinVerifyTrust(HWND window, GUID* action, LPVOID data) {
  const auto function = Resolve<decltype(&::WinVerifyTrust)>(Wintrust(), kWinVerifyTrust);
  return function ? function(window, action, data) : static_cast<LONG>(TRUST_E_SYSTEM_ERROR);
}

CRYPT_PROVIDER_DATA* WINAPI WTHelperProvDataFromStateData(HANDLE state) {
  const auto function =
      Resolve<decltype(&::WTHelperProvDataFromStateData)>(Wintrust(),
                                                     kWTHelperProvDataFromStateData);
  return function ? function(state) : nullptr;
}

CRYPT_PROVIDER_SGNR* WINAPI WTHelperGetProvSignerFromChain(CRYPT_PROVIDER_DATA* provider,
                                                           DWORD signer, BOOL counter_signer,
                                                           DWORD counter_signer_index) {
  const auto function =
      Resolve<decltype(&::WTHelperGetProvSignerFromChain)>(Wintrust(),
                                                     kWTHelperGetProvSignerFromChain);
  return function ? function(provider, signer, counter_signer, counter_signer_index) : nullptr;
}

CRYPT_PROVIDER_CERT* WINAPI WTHelperGetProvCertFromChain(CRYPT_PROVIDER_SGNR* signer,
                                                         DWORD index) {
  const auto function =
      Resolve<decltype(&::WTHelperGetProvCertFromChain)>(Wintrust(), kWTHelperGetProvCertFromChain);
  return function ? function(signer, index) : nullptr;
}

}  // namespace trust_libraries
}  // namespace lite_installer
