// Registry values of the installer's key.
#include "installer/registry_values.h"

#include <windows.h>

#include "installer/log.h"
#include "platform/scoped_handle.h"

namespace lite_installer {
namespace {

constexpr wchar_t kRootName[] = L"HKEY_CURRENT_USER\\";
constexpr DWORD kReadBufferBytes = 2048;
constexpr DWORD kExpandBufferUnits = 1024;

// Opens the key, creating it when missing, even for reading.
LONG OpenKey(REGSAM access, ScopedRegKey* key) {
  HKEY raw = nullptr;
  LONG result = ::RegOpenKeyExW(HKEY_CURRENT_USER, kRegistryKeyPath, 0, access, &raw);
  if (result != ERROR_SUCCESS)
    result = ::RegCreateKeyExW(HKEY_CURRENT_USER, kRegistryKeyPath, 0, nullptr, 0, access,
                               nullptr, &raw, nullptr);
  if (result == ERROR_SUCCESS) key->Reset(raw);
  return result;
}

std::wstring ReadLine(const std::wstring& name, const std::wstring& value) {
  return LogText(L"Read ", kRootName, kRegistryKeyPath, L"\\", name, L" which is \"", value, L"\"");
}

}  // namespace

long StoreValueInRegistry(const std::wstring& name, const std::wstring& text) {
  LI_LOG(kLogInfo, L"lite_installer::StoreValueInRegistry", kRootName, kRegistryKeyPath, L"\\",
         name, L" = ", text);
  ScopedRegKey key;
  LONG result = OpenKey(KEY_WRITE, &key);
  if (result != ERROR_SUCCESS) return result;
  return ::RegSetValueExW(key.Get(), name.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

void RemoveValueFromRegistry(const std::wstring& name) {
  LI_LOG(kLogInfo, L"lite_installer::RemoveValueFromRegistry", L"Remove ", kRootName,
         kRegistryKeyPath, L"\\", name);
  ScopedRegKey key;
  if (OpenKey(KEY_WRITE, &key) == ERROR_SUCCESS) ::RegDeleteValueW(key.Get(), name.c_str());
}

std::wstring ReadStringFromRegistry(const std::wstring& name) {
  std::wstring result;
  ScopedRegKey key;
  if (OpenKey(KEY_READ, &key) == ERROR_SUCCESS) {
    wchar_t buffer[kReadBufferBytes / sizeof(wchar_t) + 1] = {};
    DWORD type = 0, size = kReadBufferBytes;
    if (::RegQueryValueExW(key.Get(), name.c_str(), nullptr, &type,
                           reinterpret_cast<BYTE*>(buffer), &size) == ERROR_SUCCESS) {
      buffer[size / sizeof(wchar_t)] = L'\0';  // the data need not end in NUL
      if (type == REG_SZ) {
        result = buffer;
      } else {
        wchar_t expanded[kExpandBufferUnits];
        DWORD n = ::ExpandEnvironmentStringsW(buffer, expanded, kExpandBufferUnits);
        if (n != 0 && n <= kExpandBufferUnits) result = expanded;
      }
    }
  }
  WriteLog(kLogInfo, L"lite_installer::ReadStringFromRegistry", __LINE__, ReadLine(name, result));
  return result;
}

std::wstring ReadFilePathFromRegistry(const std::wstring& name) {
  std::wstring result = ReadStringFromRegistry(name);
  if (::GetFileAttributesW(result.c_str()) == INVALID_FILE_ATTRIBUTES) result.clear();
  WriteLog(kLogInfo, L"lite_installer::ReadFilePathFromRegistry", __LINE__, ReadLine(name, result));
  return result;
}

}  // namespace lite_installer
