// LoadLocalizedString through FindResourceExW, which (unlike LoadStringW)
// takes the language as an argument.
#include "platform/localized_string.h"

#include <windows.h>

namespace lite_installer {
namespace {
constexpr WORD kStringTableType = 6;  // RT_STRING
}  // namespace

std::wstring LoadLocalizedString(uint32_t id, uint32_t language_id) {
  HMODULE module = ::GetModuleHandleW(nullptr);
  HRSRC info = ::FindResourceExW(module, MAKEINTRESOURCEW(kStringTableType),
                                 MAKEINTRESOURCEW(id / 16 + 1), static_cast<WORD>(language_id));
  if (!info) return std::wstring();
  HGLOBAL loaded = ::LoadResource(module, info);
  const void* block = loaded ? ::LockResource(loaded) : nullptr;
  if (!block) return std::wstring();
  return StringFromTableBlock(block, ::SizeofResource(module, info), id % 16);
}

}  // namespace lite_installer
