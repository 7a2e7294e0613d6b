// Loading a library of the system directory, the one way the program loads a
// library itself (the delay-load hook of library_guard.h goes through it
// too): by its full path there, so that no same-named file beside the
// program, in the current directory or on PATH can stand in for it.
// Windows only.
#pragma once

#include <windows.h>

namespace lite_installer {

// Loads `name` (e.g. L"winmm.dll") by its full path in the system directory,
// with that directory searched first for its own imports. A name that the
// program's manifest redirects to a side-by-side assembly (comctl32 6.0) is
// loaded by name, so that the manifest's version comes; the activation
// context resolves it, never the program's folder. Null on failure, with
// the thread's last error set (ERROR_INVALID_PARAMETER for an empty name).
HMODULE LoadSystemLibrary(const wchar_t* name);

// The entry point `name` of `module` as a pointer of type Function; null when
// the module is null or lacks it.
template <typename Function>
Function SystemEntryPoint(HMODULE module, const char* name) {
  if (!module) return nullptr;
  // FARPROC has a generic signature; going through void* says the cast is meant.
  return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

}  // namespace lite_installer
