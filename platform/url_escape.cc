// Percent-escaping of URL values; portable.
#include "platform/url_escape.h"

#include <cstdint>

namespace lite_installer {
namespace {

constexpr uint32_t kReplacement = 0xFFFD;
constexpr wchar_t kHexDigits[] = L"0123456789ABCDEF";

bool IsUnreserved(uint32_t c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         c == '-' || c == '.' || c == '_' || c == '~';
}

void AppendByte(std::wstring* out, uint32_t byte) {
  out->push_back(L'%');
  out->push_back(kHexDigits[(byte >> 4) & 0xF]);
  out->push_back(kHexDigits[byte & 0xF]);
}

void AppendUtf8(std::wstring* out, uint32_t c) {
  if (c < 0x80) {
    AppendByte(out, c);
  } else if (c < 0x800) {
    AppendByte(out, 0xC0 | (c >> 6));
    AppendByte(out, 0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    AppendByte(out, 0xE0 | (c >> 12));
    AppendByte(out, 0x80 | ((c >> 6) & 0x3F));
    AppendByte(out, 0x80 | (c & 0x3F));
  } else {
    AppendByte(out, 0xF0 | (c >> 18));
    AppendByte(out, 0x80 | ((c >> 12) & 0x3F));
    AppendByte(out, 0x80 | ((c >> 6) & 0x3F));
    AppendByte(out, 0x80 | (c & 0x3F));
  }
}

bool IsHighSurrogate(uint32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(uint32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

std::wstring EscapeUrlValue(const std::wstring& value) {
  std::wstring out;
  out.reserve(value.size());
  for (size_t i = 0; i < value.size(); ++i) {
    uint32_t c = static_cast<uint32_t>(value[i]);
    if (IsUnreserved(c)) {
      out.push_back(value[i]);
      continue;
    }
    if (IsHighSurrogate(c) && i + 1 < value.size() &&
        IsLowSurrogate(static_cast<uint32_t>(value[i + 1]))) {
      c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<uint32_t>(value[i + 1]) - 0xDC00);
      ++i;
    } else if (IsHighSurrogate(c) || IsLowSurrogate(c) || c > 0x10FFFF) {
      c = kReplacement;
    }
    AppendUtf8(&out, c);
  }
  return out;
}

}  // namespace lite_installer
