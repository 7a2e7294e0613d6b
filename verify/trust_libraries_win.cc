// Loads crypt32.dll and wintrust.dll from the system folder on first use and
// forwards to them (see trust_libraries.h).
#include "verify/trust_libraries.h"

#include <string>

namespace lite_installer {
namespace trust_libraries {
namespace {

constexpr wchar_t kCrypt32[] = L"crypt32.dll";
constexpr wchar_t kWintrust[] = L"wintrust.dll";

// A library of the system folder; its own imports are searched from there too.
HMODULE LoadSystemLibrary(const wchar_t* name) {
  wchar_t folder[MAX_PATH];
  const UINT n = ::GetSystemDirectoryW(folder, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return nullptr;
  const std::wstring path = std::wstring(folder, n) + L"\\" + name;
  return ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

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
  // FARPROC has a generic signature; going through void* says the cast is meant.
  return reinterpret_cast<Function>(
      reinterpret_cast<void*>(::GetProcAddress(library.module, function_name)));
}

}  // namespace

BOOL WINAPI CryptDecodeObjectEx(DWORD encoding, LPCSTR structure, const BYTE* encoded,
                                DWORD encoded_size, DWORD flags, PCRYPT_DECODE_PARA para,
                                void* decoded, DWORD* decoded_size) {
  const auto function = Resolve<decltype(&::CryptDecodeObjectEx)>(
      Crypt32(), "CryptDecodeObjectEx");
  return function ? function(encoding, structure, encoded, encoded_size, flags, para, decoded,
                             decoded_size)
                  : FALSE;
}

BOOL WINAPI CryptImportPublicKeyInfo(HCRYPTPROV provider, DWORD encoding,
                                     PCERT_PUBLIC_KEY_INFO info, HCRYPTKEY* key) {
  const auto function = Resolve<decltype(&::CryptImportPublicKeyInfo)>(
      Crypt32(), "CryptImportPublicKeyInfo");
  return function ? function(provider, encoding, info, key) : FALSE;
}

LONG WINAPI WinVerifyTrust(HWND window, GUID* action, LPVOID data) {
  const auto function = Resolve<decltype(&::WinVerifyTrust)>(
      Wintrust(), "WinVerifyTrust");
  return function ? function(window, action, data) : static_cast<LONG>(TRUST_E_SYSTEM_ERROR);
}

CRYPT_PROVIDER_DATA* WINAPI WTHelperProvDataFromStateData(HANDLE state) {
  const auto function = Resolve<decltype(&::WTHelperProvDataFromStateData)>(
      Wintrust(), "WTHelperProvDataFromStateData");
  return function ? function(state) : nullptr;
}

CRYPT_PROVIDER_SGNR* WINAPI WTHelperGetProvSignerFromChain(CRYPT_PROVIDER_DATA* provider,
                                                           DWORD signer, BOOL counter_signer,
                                                           DWORD counter_signer_index) {
  const auto function = Resolve<decltype(&::WTHelperGetProvSignerFromChain)>(
      Wintrust(), "WTHelperGetProvSignerFromChain");
  return function ? function(provider, signer, counter_signer, counter_signer_index) : nullptr;
}

CRYPT_PROVIDER_CERT* WINAPI WTHelperGetProvCertFromChain(CRYPT_PROVIDER_SGNR* signer,
                                                         DWORD index) {
  const auto function = Resolve<decltype(&::WTHelperGetProvCertFromChain)>(
      Wintrust(), "WTHelperGetProvCertFromChain");
  return function ? function(signer, index) : nullptr;
}

}  // namespace trust_libraries
}  // namespace lite_installer
