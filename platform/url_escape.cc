// Percent-escaping of URL values; portable.
#include "platform/url_escape.h"

#include "platform/string_conversion.h"

namespace lite_installer {
namespace {

constexpr wchar_t kHexDigits[] = L"0123456789ABCDEF";

bool IsUnreserved(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         c == '-' || c == '.' || c == '_' || c == '~';
}

}  // namespace

std::wstring EscapeUrlValue(const std::wstring& value) {
  std::wstring out;
  out.reserve(value.size());
  for (unsigned char byte : WideToUtf8(value)) {
    if (IsUnreserved(byte)) {
      out.push_back(static_cast<wchar_t>(byte));
    } else {
      out.push_back(L'%');
      out.push_back(kHexDigits[byte >> 4]);
      out.push_back(kHexDigits[byte & 0xF]);
    }
  }
  return out;
}

}  // namespace lite_installer
