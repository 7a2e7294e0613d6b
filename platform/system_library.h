// Libraries of the system folder loaded when first needed rather than
// imported: an import is loaded and initialised at every start, before
// anything else runs, whether the run needs it or not. Loaded by full path,
// no same-named file beside the program can stand in for them. Windows only.
#pragma once

#include <windows.h>

namespace lite_installer {

// `file_name` (e.g. L"winmm.dll") from the system folder, its own imports
// searched from there too; null with the thread's last error on failure.
HMODULE LoadSystemLibrary(const wchar_t* file_name);

// The entry point `name` of `module` as a pointer of type Function; null when
// the module is null or lacks it.
template <typename Function>
Function SystemEntryPoint(HMODULE module, const char* name) {
  if (!module) return nullptr;
  // FARPROC has a generic signature; going through void* says the cast is meant.
  return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

}  // namespace lite_installer
