// Path helpers that ask the system.
#include <windows.h>

#include "platform/path_util.h"

namespace lite_installer {

bool PathExists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool GetCurrentDirectoryPath(std::wstring* directory) {
  wchar_t buffer[MAX_PATH];
  DWORD n = ::GetCurrentDirectoryW(MAX_PATH, buffer);
  if (n == 0 || n >= MAX_PATH) return false;
  std::wstring text(buffer, n);
  while (text.size() > 1 && (text.back() == L'\\' || text.back() == L'/')) text.pop_back();
  *directory = text;
  return true;
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
