// Test image: a DLL whose entry point leaves a file "<dll path>.ran" behind.
// Verification must never cause it to appear: the downloaded file is read as
// data, never loaded as code.
#include <windows.h>

extern "C" __declspec(dllexport) int MarkerExport() { return 7; }

// Planted as version.dll, it stands in for the function the test setup
// imports, so that a program that takes it starts (and leaves the marker)
// rather than failing to load. Exported undecorated (--kill-at).
extern "C" __declspec(dllexport) DWORD WINAPI GetFileVersionInfoSizeW(LPCWSTR, LPDWORD) {
  return 0;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    wchar_t path[MAX_PATH + 8];
    DWORD n = ::GetModuleFileNameW(instance, path, MAX_PATH);
    if (n > 0 && n < MAX_PATH) {
      lstrcatW(path, L".ran");
      HANDLE file = ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
      if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
    }
  }
  return TRUE;
}
