// Whole-file reads of the test PKI's Windows tools (resource bytes, root
// certificates). Header-only: each tool is a single-file program.
#pragma once

#include <windows.h>

#include <vector>

// The file's whole content; false (with the system's last error) when it
// cannot be opened or read to the end.
inline bool ReadWholeFile(const wchar_t* path, std::vector<BYTE>* data) {
  HANDLE file = ::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                              nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD size = ::GetFileSize(file, nullptr);
  data->resize(size);
  DWORD read = 0;
  bool ok = size == 0 || (::ReadFile(file, data->data(), size, &read, nullptr) && read == size);
  DWORD error = ::GetLastError();
  ::CloseHandle(file);
  ::SetLastError(ok ? ERROR_SUCCESS : error);
  return ok;
}
