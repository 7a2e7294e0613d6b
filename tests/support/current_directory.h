// The current directory, for test tools that check it is left unchanged.
// Windows only.
#pragma once

#include <windows.h>

#include <string>

namespace lite_installer {

// The current directory without trailing separators; false when the system
// call fails or needs more than 260 characters.
inline bool GetCurrentDirectoryPath(std::wstring* directory) {
  wchar_t buffer[MAX_PATH];
  DWORD n = ::GetCurrentDirectoryW(MAX_PATH, buffer);
  if (n == 0 || n >= MAX_PATH) return false;
  std::wstring text(buffer, n);
  while (text.size() > 1 && (text.back() == L'\\' || text.back() == L'/')) text.pop_back();
  *directory = text;
  return true;
}

}  // namespace lite_installer
