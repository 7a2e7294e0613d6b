// GUID text through COM.
#include <windows.h>
#include <objbase.h>

#include "platform/guid.h"
#include "platform/string_conversion.h"

namespace lite_installer {

std::string GenerateGuidString() {
  GUID guid;
  if (FAILED(::CoCreateGuid(&guid))) return std::string();
  wchar_t text[39];
  if (::StringFromGUID2(guid, text, 39) != 39) return std::string();
  return WideToUtf8(std::wstring(text + 1, 36));
}

}  // namespace lite_installer
