// Whole-file reads and writes through the Windows file API.
#include "platform/file_bytes.h"

#include <windows.h>

#include "platform/scoped_handle.h"

namespace lite_installer {

bool WriteBytesToFile(const std::wstring& path, const std::string& bytes) {
  ScopedFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsValid()) return false;
  DWORD written = 0;
  return ::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) &&
         written == bytes.size();
}

std::string ReadFileBytes(const std::wstring& path) {
  ScopedFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsValid()) return std::string();
  LARGE_INTEGER size = {};
  // Packages are small; anything beyond 64 MiB is not one of ours.
  if (!::GetFileSizeEx(file.Get(), &size) || size.QuadPart <= 0 || size.QuadPart > (64 << 20))
    return std::string();
  std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
  DWORD read = 0;
  if (!::ReadFile(file.Get(), &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr))
    return std::string();
  bytes.resize(read);
  return bytes;
}

}  // namespace lite_installer
