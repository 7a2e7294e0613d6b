// Path helpers that ask the system.
#include <windows.h>

#include "platform/path_util.h"

namespace lite_installer {

bool PathExists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring GetProgramPath() {
  wchar_t buffer[MAX_PATH];
  DWORD n = ::GetModuleFileNameW(nullptr, buffer, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return std::wstring();
  return std::wstring(buffer, n);
}

std::wstring GetTemporaryDirectoryPath() {
  wchar_t buffer[MAX_PATH];
  DWORD n = ::GetTempPathW(MAX_PATH, buffer);
  if (n == 0 || n >= MAX_PATH) return std::wstring();
  return std::wstring(buffer, n);
}

}  // namespace lite_installer
