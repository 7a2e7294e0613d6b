// Builds log messages by plain concatenation of pieces: wide texts as they are,
// narrow texts widened byte by byte, integers in decimal, no separators.
#pragma once

#include <string>
#include <type_traits>

#include "platform/string_conversion.h"

namespace lite_installer {
namespace log_text_internal {

inline void Append(std::wstring* out, const std::wstring& piece) { out->append(piece); }
inline void Append(std::wstring* out, const wchar_t* piece) { out->append(piece ? piece : L""); }
inline void Append(std::wstring* out, const std::string& piece) { out->append(Widen(piece)); }
inline void Append(std::wstring* out, const char* piece) { out->append(Widen(piece ? piece : "")); }
// A character piece is that character, not its code: LI_LOG(..., L'\\') must
// write a backslash, not "92". Signed and unsigned char stay small integers.
inline void Append(std::wstring* out, char piece) {
  out->push_back(static_cast<wchar_t>(static_cast<unsigned char>(piece)));
}
inline void Append(std::wstring* out, wchar_t piece) { out->push_back(piece); }
template <typename T, typename = std::enable_if_t<std::is_integral<T>::value>>
void Append(std::wstring* out, T value) {
  if (std::is_signed<T>::value) {
    out->append(DecimalText(static_cast<int64_t>(value)));
  } else {
    out->append(DecimalText(static_cast<uint64_t>(value)));
  }
}
inline void Append(std::wstring* out, bool value) = delete;

}  // namespace log_text_internal

template <typename... Pieces>
std::wstring LogText(const Pieces&... pieces) {
  std::wstring out;
  (log_text_internal::Append(&out, pieces), ...);
  return out;
}

}  // namespace lite_installer
