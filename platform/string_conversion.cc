// Byte-wise widening/narrowing and decimal digits; portable.
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

}  // namespace lite_installer
