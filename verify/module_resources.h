// Reading resources out of a downloaded, not yet verified file. The file is
// mapped as data only: no entry point runs, no import is resolved, so nothing
// of it executes before it has been verified. Windows only.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace lite_installer {

// Maps the file at `path` (taken up to its first NUL) for resource access,
// with its folder as the current directory for the duration of the load. Null
// on failure; then `error` (when given) receives the system error code.
// Release the handle with FreeLibrary (ScopedModule).
HMODULE LoadModuleLibrary(const std::wstring& path, DWORD* error = nullptr);

// The data-only load itself: `load` (LoadLibraryExW) with
// LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE, and with
// LOAD_LIBRARY_AS_DATAFILE alone only when the system refuses that
// combination as an invalid parameter (Windows XP). Never loads as code.
using LoadLibraryExFunction = HMODULE(WINAPI*)(LPCWSTR, HANDLE, DWORD);
HMODULE LoadAsDataImage(const std::wstring& path, LoadLibraryExFunction load);

// LoadModuleLibrary over any LoadLibraryExW, so that the current directory
// around the load can be watched.
HMODULE LoadModuleLibraryWith(const std::wstring& path, DWORD* error, LoadLibraryExFunction load);

// A copy of the resource's bytes; empty when it is missing, empty or unreadable.
std::vector<uint8_t> ReadResourceBytes(HMODULE module, const wchar_t* type, const wchar_t* name);

}  // namespace lite_installer
