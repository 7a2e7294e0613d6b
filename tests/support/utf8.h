// UTF-8 of a wide text, for the tests' and test tools' output (the program
// itself never needs it). Unpaired surrogates and values outside Unicode
// become U+FFFD. Works for 16-bit (Windows) and 32-bit (host) wchar_t.
#pragma once

#include <cstdint>
#include <string>

namespace lite_installer {

namespace utf8_detail {

inline void AppendUtf8(uint32_t cp, std::string* out) {
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

}  // namespace utf8_detail

inline std::string WideToUtf8(const std::wstring& text) {
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
        utf8_detail::AppendUtf8(0x10000 + ((u - 0xD800) << 10) + (next - 0xDC00), &out);
        ++i;
      } else {
        utf8_detail::AppendUtf8(utf8_detail::kReplacement, &out);
      }
    } else if ((u >= 0xDC00 && u <= 0xDFFF) || u > 0x10FFFF) {
      utf8_detail::AppendUtf8(utf8_detail::kReplacement, &out);
    } else {
      utf8_detail::AppendUtf8(u, &out);
    }
  }
  return out;
}

}  // namespace lite_installer
