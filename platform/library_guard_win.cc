// The process-wide library search restriction and the delay-load hook that
// routes every delay-loaded import through LoadSystemLibrary.
// Measured under Wine 8: SetDefaultDllDirectories and SetDllDirectoryW
// exist; with WINEDLLOVERRIDES="name=n,b" Wine loads a DLL beside the program
// for an unguarded LoadLibraryW(name), as Windows does for a non-KnownDLL.
#include "platform/library_guard.h"

#include <delayimp.h>

#include <cwchar>
#include <string>

#include "platform/path_util.h"
#include "platform/scoped_handle.h"
#include "platform/system_library.h"

namespace lite_installer {
namespace {

constexpr wchar_t kKernel32[] = L"kernel32.dll";
constexpr char kSetDefaultDllDirectories[] = "SetDefaultDllDirectories";
constexpr char kSetDllDirectoryW[] = "SetDllDirectoryW";
// Not in the headers of every SDK this builds with.
constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32

// Wine's built-in libraries resolve their delay-loaded imports and their own
// LoadLibrary calls in the old order even after SetDefaultDllDirectories
// (measured: wininet's first HTTPS request took secur32 from beside the
// program, with WINEDLLOVERRIDES "secur32=n,b"), and so does Windows for
// everything where SetDefaultDllDirectories is missing. A library already
// in the process is never searched for again, so every DLL lying in the
// program's folder under the name of a system library is loaded from the
// system directory first. A folder without DLLs, the usual case, costs one
// directory listing and no library at all. The current directory needs no
// such care: SetDllDirectoryW(L"") takes it out of every search (measured
// under Wine for the built-in libraries' own loads as well).
constexpr wchar_t kDllPattern[] = L"*.dll";
constexpr wchar_t kDllSuffix[] = L".dll";
constexpr size_t kDllSuffixLength = 4;

using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
using SetDllDirectoryFunction = BOOL(WINAPI*)(LPCWSTR);

template <typename Function>
Function Kernel32Entry(const char* name) {
  return SystemEntryPoint<Function>(::GetModuleHandleW(kKernel32), name);
}

// Delay-loaded imports come through here: the loader's own LoadLibraryA of
// the bare name would search the program's folder first wherever the guard
// is missing.
FARPROC WINAPI DelayLoadHook(unsigned notification, PDelayLoadInfo info) {
  if (notification != dliNotePreLoadLibrary || !info || !info->szDll) return nullptr;
  std::wstring name;
  for (const char* c = info->szDll; *c; ++c) name += static_cast<wchar_t>(static_cast<unsigned char>(*c));
  return reinterpret_cast<FARPROC>(LoadSystemLibrary(name.c_str()));
}

bool HasDllSuffix(const wchar_t* name) {
  const size_t length = ::wcslen(name);
  return length > kDllSuffixLength && ::_wcsicmp(name + length - kDllSuffixLength, kDllSuffix) == 0;
}

// Loads from the system directory every library named like one that lies
// in the folder of the program at `program_path`.
void PreloadSystemCopiesOfLibrariesBeside(const std::wstring& program_path) {
  if (program_path.empty()) return;
  std::wstring pattern = GetDirectoryPart(program_path);
  if (pattern.back() != L'\\') pattern += L'\\';
  pattern += kDllPattern;
  if (pattern.size() >= MAX_PATH) return;
  WIN32_FIND_DATAW found;
  ScopedFindHandle search(::FindFirstFileW(pattern.c_str(), &found));
  if (!search.IsValid()) return;
  do {
    // The pattern matches short names too: the long name decides.
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !HasDllSuffix(found.cFileName))
      continue;
    LoadSystemLibrary(found.cFileName);  // not a system library: simply not found
  } while (::FindNextFileW(search.Get(), &found));
}

}  // namespace

void GuardLibraryLoading() {
  if (auto set_default = Kernel32Entry<SetDefaultDllDirectoriesFunction>(kSetDefaultDllDirectories))
    set_default(kSearchSystem32);
  // Takes the current directory out of the search order (XP SP1 and later).
  if (auto set_directory = Kernel32Entry<SetDllDirectoryFunction>(kSetDllDirectoryW))
    set_directory(L"");
  PreloadSystemCopiesOfLibrariesBeside(GetProgramPath());
}

}  // namespace lite_installer

// The delay-load helper calls this before it loads a library.
extern "C" {
#if defined(_MSC_VER)
const PfnDliHook __pfnDliNotifyHook2 = &lite_installer::DelayLoadHook;
#else
PfnDliHook __pfnDliNotifyHook2 = &lite_installer::DelayLoadHook;
#endif
}
