// Test tool: loads libraries by name and prints where each came from, one
// "name=path" (or "name=failed-<error>") per line, for
// tests/platform/planted_dll_wine_test.py.
//
//   library_guard_probe.exe [--no-guard | --system-path] NAME...
//     (default)      GuardLibraryLoading, then LoadLibraryW(NAME): what any
//                    code of the guarded installer gets for a bare name
//     --system-path  LoadSystemLibrary(NAME) without the guard: a system
//                    that lacks SetDefaultDllDirectories
//     --no-guard     LoadLibraryW(NAME) without the guard: the control that
//                    must load a planted DLL, so the test can fail
#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/library_guard.h"
#include "platform/string_conversion.h"

namespace li = lite_installer;

int wmain(int argc, wchar_t** argv) {
  std::wstring mode;
  int first = 1;
  if (argc > 1 && argv[1][0] == L'-') {
    mode = argv[1];
    first = 2;
  }
  if (mode.empty()) li::GuardLibraryLoading();
  for (int i = first; i < argc; ++i) {
    HMODULE module = mode == L"--system-path" ? li::LoadSystemLibrary(argv[i])
                                              : ::LoadLibraryW(argv[i]);
    wchar_t path[MAX_PATH] = {};
    if (module) ::GetModuleFileNameW(module, path, MAX_PATH);
    std::printf("%s=%s\n", li::WideToUtf8(argv[i]).c_str(),
                module ? li::WideToUtf8(path).c_str()
                       : ("failed-" + std::to_string(::GetLastError())).c_str());
  }
  std::fflush(stdout);
  return 0;
}
