// Byte-wise widening/narrowing, decimal digits and UTF-8 encoding; portable.
#include "platform/string_conversion.h"

#include <cstdint>

namespace lite_installer {

std::wstring Widen(const std::string& text) {
  std::wstring out;
  out.reserve(text.size());
  for (unsigned char c : text) out.push_back(static_cast<wchar_t>(c));
  return out;
}

std::string Narrow(const std::wstring& text) {
  std::string out;
  out.reserve(text.size());
  for (wchar_t c : text) out.push_back(static_cast<char>(static_cast<uint32_t>(c) & 0xFF));
  return out;
}

std::wstring DecimalText(uint64_t value) {
  wchar_t digits[20];
  size_t n = 0;
  do {
    digits[n++] = static_cast<wchar_t>(L'0' + value % 10);
    value /= 10;
  } while (value != 0);
  std::wstring out;
  out.reserve(n);
  while (n) out.push_back(digits[--n]);
  return out;
}

std::wstring DecimalText(int64_t value) {
  if (value >= 0) return DecimalText(static_cast<uint64_t>(value));
  // Negated as unsigned, so that the smallest value has its digits too.
  return L"-" + DecimalText(0 - static_cast<uint64_t>(value));
}

namespace {

void AppendUtf8(uint32_t cp, std::string* out) {
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

constexpr uint32_t kReplacement = 0xFFFD;

}  // namespace

std::string WideToUtf8(const std::wstring& text) {
  bool ascii = true;
  for (wchar_t c : text) {
    if (static_cast<uint32_t>(c) >= 0x80) { ascii = false; break; }
  }
  if (ascii) return std::string(text.begin(), text.end());

  std::string out;
  out.reserve(text.size() * 3);
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t u = static_cast<uint32_t>(text[i]);
    if (u >= 0xD800 && u <= 0xDBFF) {
      uint32_t next = i + 1 < text.size() ? static_cast<uint32_t>(text[i + 1]) : 0;
      if (next >= 0xDC00 && next <= 0xDFFF) {
        AppendUtf8(0x10000 + ((u - 0xD800) << 10) + (next - 0xDC00), &out);
        ++i;
      } else {
        AppendUtf8(kReplacement, &out);
      }
    } else if ((u >= 0xDC00 && u <= 0xDFFF) || u > 0x10FFFF) {
      AppendUtf8(kReplacement, &out);
    } else {
      AppendUtf8(u, &out);
    }
  }
  return out;
}

}  // namespace lite_installer
