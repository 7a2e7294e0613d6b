// The verification tests' view of the log: each line written since the last
// call as "LEVEL Function: message", so that a test compares whole lines. An
// ERROR line's " Last error: " text (the system's wording) is cut off, whether
// it stands on the same line or, after a formatted message, on the next.
#pragma once

#include <string>
#include <vector>

#include "tests/brand/windows_log_reader.h"

namespace lite_installer {

inline std::vector<std::wstring> TakeLogLines() {
  std::vector<std::wstring> out;
  for (const LogMessage& m : TakeLogMessages()) {
    const std::wstring message = m.text.substr(0, m.text.find(L" Last error: "));
    out.push_back(m.level + L" " + m.function + L": " + message);
  }
  return out;
}

}  // namespace lite_installer
