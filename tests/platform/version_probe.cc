// Test tool for the Windows version under Wine. It carries the installer's
// manifest, so the system reports to it what it reports to the installer.
//   version_probe            prints "version=<value> major=<n> minor=<n>"
//   version_probe read       prints the registry value "CurrentMajorVersionNumber"
//                            as "type=<n> data=<hex>", or "absent"
//   version_probe set <type> <hex>   writes that value with exactly these bytes
//   version_probe delete     removes the value
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "platform/scoped_handle.h"
#include "platform/windows_version.h"

namespace {

using lite_installer::ScopedRegKey;

constexpr wchar_t kKey[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion";
constexpr wchar_t kValue[] = L"CurrentMajorVersionNumber";

int PrintVersion() {
  OSVERSIONINFOW info = {};
  info.dwOSVersionInfoSize = sizeof(info);
#if defined(_MSC_VER)
#pragma warning(push)
#pragma warning(disable : 4996)  // GetVersionExW is deprecated
#else
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
  ::GetVersionExW(&info);
#if defined(_MSC_VER)
#pragma warning(pop)
#else
#pragma GCC diagnostic pop
#endif
  std::printf("version=%d major=%lu minor=%lu\n",
              static_cast<int>(lite_installer::GetWindowsVersion()), info.dwMajorVersion,
              info.dwMinorVersion);
  return 0;
}

HKEY OpenKey(REGSAM access) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, access, &key) != ERROR_SUCCESS) return nullptr;
  return key;
}

int Read() {
  ScopedRegKey key(OpenKey(KEY_READ));
  if (!key.IsValid()) return 2;
  BYTE data[256];
  DWORD type = 0, size = sizeof(data);
  LONG result = ::RegQueryValueExW(key.Get(), kValue, nullptr, &type, data, &size);
  if (result == ERROR_FILE_NOT_FOUND) {
    std::printf("absent\n");
    return 0;
  }
  if (result != ERROR_SUCCESS) return 3;
  std::printf("type=%lu data=", type);
  for (DWORD i = 0; i < size; ++i) std::printf("%02x", data[i]);
  std::printf("\n");
  return 0;
}

int Set(const wchar_t* type_text, const wchar_t* hex) {
  std::string bytes;
  for (size_t i = 0; hex[i] && hex[i + 1]; i += 2) {
    wchar_t pair[3] = {hex[i], hex[i + 1], 0};
    bytes.push_back(static_cast<char>(std::wcstoul(pair, nullptr, 16)));
  }
  ScopedRegKey key(OpenKey(KEY_SET_VALUE));
  if (!key.IsValid()) return 2;
  LONG result = ::RegSetValueExW(key.Get(), kValue, 0, std::wcstoul(type_text, nullptr, 0),
                                 reinterpret_cast<const BYTE*>(bytes.data()),
                                 static_cast<DWORD>(bytes.size()));
  return result == ERROR_SUCCESS ? 0 : 3;
}

int Delete() {
  ScopedRegKey key(OpenKey(KEY_SET_VALUE));
  if (!key.IsValid()) return 2;
  LONG result = ::RegDeleteValueW(key.Get(), kValue);
  return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND ? 0 : 3;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  int result = 1;
  if (argc == 1) result = PrintVersion();
  else if (argc == 2 && std::wstring(argv[1]) == L"read") result = Read();
  else if (argc == 4 && std::wstring(argv[1]) == L"set") result = Set(argv[2], argv[3]);
  else if (argc == 2 && std::wstring(argv[1]) == L"delete") result = Delete();
  std::fflush(stdout);
  return result;
}
