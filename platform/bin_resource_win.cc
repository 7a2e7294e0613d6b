// "BIN" resources of the program's module.
#include "platform/bin_resource.h"

#include <windows.h>

#include "platform/file_bytes.h"
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

}  // namespace lite_installer
