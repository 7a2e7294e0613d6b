// Percent-escaping of a value that goes into a URL's query or path, so that
// nothing in it can end the value, add a parameter or change the address:
// every character but the unreserved ones (letters, digits, "-", ".", "_",
// "~") is written as the %XX escapes of its UTF-8 bytes. Portable.
#pragma once

#include <string>

namespace lite_installer {

// Unpaired surrogates (and, with a 32-bit wchar_t, values outside Unicode)
// are escaped as U+FFFD.
std::wstring EscapeUrlValue(const std::wstring& value);

}  // namespace lite_installer
