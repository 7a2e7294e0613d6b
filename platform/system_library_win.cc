// Loading a library of the system directory by its full path. Measured under
// Wine 8: the manifest's activation context redirects "comctl32.dll"
// (FindActCtxSectionStringW finds it) and no other library the installer
// uses.
#include "platform/system_library.h"

#include <string>

namespace lite_installer {
namespace {

constexpr wchar_t kKernel32[] = L"kernel32.dll";
// Present exactly where LoadLibraryExW knows the LOAD_LIBRARY_SEARCH_ flags.
constexpr char kAddDllDirectory[] = "AddDllDirectory";
// Not in the headers of every SDK this builds with.
constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32

bool RedirectedBySideBySide(const wchar_t* name) {
  ACTCTX_SECTION_KEYED_DATA data = {};
  data.cbSize = sizeof(data);
  return ::FindActCtxSectionStringW(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, name,
                                    &data) != FALSE;
}

}  // namespace

HMODULE LoadSystemLibrary(const wchar_t* name) {
  if (!name || !*name) {
    ::SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (RedirectedBySideBySide(name)) return ::LoadLibraryW(name);
  wchar_t directory[MAX_PATH];
  const UINT length = ::GetSystemDirectoryW(directory, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  std::wstring path(directory, length);
  if (path.back() != L'\\') path += L'\\';
  path += name;
  // Its own imports from the system directory too. LOAD_WITH_ALTERED_-
  // SEARCH_PATH alone is not enough where the search flags exist: Wine then
  // still took a wininet's secur32 from beside the program (measured with a
  // marker DLL and WINEDLLOVERRIDES "secur32=n,b", even with the guard set),
  // so it is only the fallback of systems without them.
  static const bool search_flags =
      SystemEntryPoint<FARPROC>(::GetModuleHandleW(kKernel32), kAddDllDirectory) != nullptr;
  return ::LoadLibraryExW(path.c_str(), nullptr,
                          search_flags ? kSearchSystem32 : LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace lite_installer
