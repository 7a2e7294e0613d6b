// The Windows half of CommandLine: splitting by the system's own rules.
#include <windows.h>
#include <shellapi.h>

#include "installer/command_line.h"
#include "platform/scoped_handle.h"

namespace lite_installer {

void CommandLine::ParseText(const std::wstring& text) {
  std::wstring trimmed = TrimWhitespace(text);
  if (trimmed.empty()) return;
  int count = 0;
  wchar_t** arguments = ::CommandLineToArgvW(trimmed.c_str(), &count);
  if (!arguments) return;
  ScopedLocalMemory owned(arguments);
  ParseArguments(count, arguments);
}

const CommandLine& CommandLine::Current() {
  // Never destroyed: it is read until the process ends.
  static CommandLine* current = [] {
    auto* line = new CommandLine();
    line->ParseText(::GetCommandLineW());
    return line;
  }();
  return *current;
}

}  // namespace lite_installer
