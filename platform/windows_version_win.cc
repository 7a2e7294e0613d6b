// Detects the Windows version once per process, lock-free.
#include <windows.h>

#include <atomic>

#include "platform/scoped_handle.h"
#include "platform/byte_order.h"
#include "platform/windows_version.h"

namespace lite_installer {
namespace {

struct SystemInfo {
  WindowsVersion version;
};

std::atomic<SystemInfo*> g_system_info{nullptr};

SystemInfo* DetectSystemInfo() {
  OSVERSIONINFOEXW info = {};
  info.dwOSVersionInfoSize = sizeof(info);
#if defined(_MSC_VER)
#pragma warning(push)
#pragma warning(disable : 4996)  // GetVersionExW is deprecated
#else
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
  ::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info));
#if defined(_MSC_VER)
#pragma warning(pop)
#else
#pragma GCC diagnostic pop
#endif
  WindowsVersion version = MapWindowsVersion(info.dwMajorVersion, info.dwMinorVersion);

  bool found = false;
  DWORD type = 0, value = 0, size = 0;
  if (info.dwMajorVersion == 6) {
    HKEY raw = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows NT\\CurrentVersion\\", 0,
                        KEY_READ, &raw) == ERROR_SUCCESS) {
      ScopedRegKey key(raw);
      BYTE data[8] = {};
      size = sizeof(data);
      if (::RegQueryValueExW(key.Get(), L"CurrentMajorVersionNumber", nullptr, &type, data,
                             &size) == ERROR_SUCCESS) {
        found = true;
        value = LoadLe32(data);
      }
    }
  }
  version = ApplyCurrentMajorVersion(version, info.dwMajorVersion, found, type, size, value);
  return new SystemInfo{version};
}

}  // namespace

WindowsVersion GetWindowsVersion() {
  SystemInfo* info = g_system_info.load();
  if (!info) {
    SystemInfo* mine = DetectSystemInfo();
    SystemInfo* expected = nullptr;
    if (g_system_info.compare_exchange_strong(expected, mine)) {
      info = mine;
    } else {
      delete mine;  // another thread won
      info = expected;
    }
  }
  return info->version;
}

}  // namespace lite_installer
