// The text of a window (Windows only).
#pragma once

#include <windows.h>

#include <string>

namespace lite_installer {

inline std::wstring WindowText(HWND window) {
  const int length = ::GetWindowTextLengthW(window);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(::GetWindowTextW(window, &text[0], length + 1)));
  return text;
}

}  // namespace lite_installer
