// libFuzzer target: the installer's switches out of the text of its command
// line (the input, UTF-16LE, as GetCommandLineW gives it), and the setup's
// command line made from them. Invariant: the setup's text holds no NUL, and
// the system splits it into exactly the program and one argument per switch
// with a plain name (others are never passed on), "--name" or "--name=value",
// whatever units the value holds.
//
// The system's split (CommandLineToArgvW) is not on the host; Split follows
// Wine 8.0's, measured with a small program: only blank and tab separate
// (not LF, VT, FF, CR, U+00A0 or U+3000); 2n backslashes before a quote give
// n and the quote counts, 2n+1 give n and a literal quote; inside quotes ""
// gives one quote and ends the quoted part; the program, first, is taken up to
// its closing quote or the first blank or tab, without escapes. The Windows
// round-trip test (command_line_round_trip_test) holds the real split to the
// same outcome.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "installer/command_line.h"
#include "platform/string_conversion.h"
#include "setup/setup_command_line.h"

namespace {

using lite_installer::CommandLine;

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

std::vector<std::wstring> Split(const std::wstring& text) {
  std::vector<std::wstring> arguments(1);
  size_t i = 0;
  if (i < text.size() && text[i] == L'"') {
    for (++i; i < text.size() && text[i] != L'"'; ++i) arguments[0] += text[i];
    if (i < text.size()) ++i;
  } else {
    for (; i < text.size() && !IsBlank(text[i]); ++i) arguments[0] += text[i];
  }
  for (;;) {
    while (i < text.size() && IsBlank(text[i])) ++i;
    if (i == text.size()) return arguments;
    std::wstring argument;
    bool quoted = false;
    while (i < text.size() && (quoted || !IsBlank(text[i]))) {
      if (text[i] == L'\\') {
        size_t run = 0;
        while (i + run < text.size() && text[i + run] == L'\\') ++run;
        const bool before_quote = i + run < text.size() && text[i + run] == L'"';
        argument.append(before_quote ? run / 2 : run, L'\\');
        i += run;
        if (before_quote && run % 2 == 1) argument += text[i++];  // an escaped quote
      } else if (text[i] == L'"') {
        if (quoted && i + 1 < text.size() && text[i + 1] == L'"') {
          argument += L'"';
          ++i;
          quoted = false;
        } else {
          quoted = !quoted;
        }
        ++i;
      } else {
        argument += text[i++];
      }
    }
    arguments.push_back(argument);
  }
}

// As CommandLine::ParseText does it on Windows.
CommandLine Parse(const std::wstring& text) {
  CommandLine line;
  const std::wstring trimmed = CommandLine::TrimWhitespace(text);
  if (trimmed.empty()) return line;
  const std::vector<std::wstring> arguments = Split(trimmed);
  std::vector<const wchar_t*> pointers;
  for (const std::wstring& argument : arguments) pointers.push_back(argument.c_str());
  line.ParseArguments(static_cast<int>(pointers.size()), pointers.data());
  return line;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::wstring text;
  for (size_t i = 0; i + 1 < size; i += 2) {
    const wchar_t unit = static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
    if (unit == 0) break;  // the text ends at its terminator
    text += unit;
  }
  lite_installer::SetupCommandLineValues values;
  values.setup_path = L"C:\\Users\\A B\\AppData\\Local\\Temp\\xb1f.tmp";
  values.brand_name = "tavrix";
  values.installer_data_path = L"C:\\Users\\A B\\AppData\\Local\\Temp\\master_preferences";
  const CommandLine setup = lite_installer::BuildSetupCommandLine(Parse(text), values);
  const std::wstring setup_text = setup.ToString();
  if (setup_text.find(L'\0') != std::wstring::npos) __builtin_trap();
  std::vector<std::wstring> expected = {setup.program()};
  for (const auto& entry : setup.switches()) {
    if (!CommandLine::IsPlainSwitchName(entry.first)) continue;  // never passed on
    expected.push_back(L"--" + lite_installer::Widen(entry.first));
    if (!entry.second.empty()) expected.back() += L"=" + entry.second;
  }
  if (Split(setup_text) != expected) __builtin_trap();
  return 0;
}
