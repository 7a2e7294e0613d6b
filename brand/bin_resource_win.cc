// "BIN" resources of the program's module, and the whole-file reads and
// writes that go with them.
#include "brand/bin_resource.h"

#include <windows.h>

#include "platform/scoped_handle.h"
#include "platform/string_conversion.h"

namespace lite_installer {
namespace {

constexpr wchar_t kBinType[] = L"BIN";

std::string ReadResource(const wchar_t* name) {
  HMODULE module = ::GetModuleHandleW(nullptr);
  HRSRC info = ::FindResourceW(module, name, kBinType);
  if (!info) return std::string();
  HGLOBAL loaded = ::LoadResource(module, info);
  if (!loaded) return std::string();
  const void* bytes = ::LockResource(loaded);
  DWORD size = ::SizeofResource(module, info);
  if (!bytes || size == 0) return std::string();
  return std::string(static_cast<const char*>(bytes), size);
}

}  // namespace

std::string ReadBinResource(int id) { return ReadResource(MAKEINTRESOURCEW(id)); }

std::string ReadBinResource(const std::string& name) {
  if (name.empty()) return std::string();
  return ReadResource(Widen(name).c_str());
}

bool WriteBinResourceToFile(int id, const std::wstring& path) {
  std::string bytes = ReadBinResource(id);
  return !bytes.empty() && WriteBytesToFile(path, bytes);
}

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
