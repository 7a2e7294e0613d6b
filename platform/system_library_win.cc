// Loading a library of the system folder by its full path.
#include "platform/system_library.h"

#include <string>

namespace lite_installer {

HMODULE LoadSystemLibrary(const wchar_t* file_name) {
  wchar_t folder[MAX_PATH];
  const UINT n = ::GetSystemDirectoryW(folder, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return nullptr;
  const std::wstring path = std::wstring(folder, n) + L"\\" + file_name;
  return ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace lite_installer
