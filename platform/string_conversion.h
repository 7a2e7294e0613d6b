// Conversions between the program's narrow (byte) and wide (UTF-16) texts.
// Configuration values, switch names and codes are ASCII by nature, so they
// are widened byte by byte and narrowed by keeping the low byte; only a value
// escaped into a URL goes through real UTF-8.
#pragma once

#include <cstdint>
#include <string>

namespace lite_installer {

// Each byte becomes one wide unit (0x00-0xFF).
std::wstring Widen(const std::string& text);
// Each wide unit keeps its low byte.
std::string Narrow(const std::wstring& text);
// UTF-8 of a wide text. Unpaired surrogates and values outside Unicode become
// U+FFFD. Works for 16-bit (Windows) and 32-bit (host) wchar_t.
std::string WideToUtf8(const std::wstring& text);

// Decimal digits of an integer, a minus sign first when it is negative: what
// std::to_wstring writes, without the C runtime's formatting (which would
// bring a printf implementation into the program).
std::wstring DecimalText(int64_t value);
std::wstring DecimalText(uint64_t value);

}  // namespace lite_installer
