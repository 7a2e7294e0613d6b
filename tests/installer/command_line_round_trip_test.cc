// The setup receives the installer's switches as text: whatever ToString
// writes must split back, by the system's own CommandLineToArgvW, into the same
// program and switches. Windows only (runs under Wine).
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <cwchar>
#include <random>
#include <string>

#include "installer/command_line.h"

namespace lite_installer {
namespace {

// The system's split of a text, then the installer's parse of the pieces.
CommandLine SplitAndParse(const std::wstring& text) {
  int count = 0;
  wchar_t** arguments = ::CommandLineToArgvW(text.c_str(), &count);
  CommandLine line;
  if (arguments) {
    line.ParseArguments(count, arguments);
    ::LocalFree(arguments);
  }
  return line;
}

class Generator {
 public:
  explicit Generator(uint32_t seed) : random_(seed) {}

  // Paths as a program can have them: blanks, tabs, backslashes and non-ASCII
  // letters inside, never a double quote (no file name holds one) and no
  // trailing backslash or whitespace.
  std::wstring Program() {
    static const wchar_t kUnits[] = L"aZ09 \t\\.-=_\u00E9\u4E2D";
    std::wstring text = L"C:\\";
    text += Pick(kUnits, 1 + Below(20));
    text += L"x.exe";
    return text;
  }

  // Values with everything that needs quoting: blanks, tabs, double quotes and
  // runs of backslashes, anywhere including the end. A value never ends in
  // whitespace: arguments are trimmed, so such a value would not survive.
  std::wstring Value() {
    static const wchar_t kUnits[] = L"ab \t\"\\\\\\=-/\u00E9\u3000";
    std::wstring text = Pick(kUnits, Below(16));
    while (!text.empty() && CommandLine::TrimWhitespace(L"x" + text).size() != text.size() + 1)
      text.pop_back();
    if (Below(4) == 0) text.append(1 + Below(4), L'\\');  // trailing backslashes
    return text;
  }

  // Names as the parse leaves them: mostly plain, some holding what a unit
  // above 0xFF narrows to (blanks, tabs, double quotes, backslashes, "="),
  // and bytes above 0x7F.
  std::string Name() {
    static const char kPlain[] = "abcxyz019-_.";
    static const char kOther[] = " \t\"\\=\xC4\xA0\x80";
    std::string text;
    size_t length = 1 + Below(8);
    for (size_t i = 0; i < length; ++i)
      text += Below(6) == 0 ? kOther[Below(sizeof(kOther) - 1)] : kPlain[Below(sizeof(kPlain) - 1)];
    return text;
  }

  size_t Below(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random_); }

 private:
  template <size_t N>
  std::wstring Pick(const wchar_t (&units)[N], size_t length) {
    std::wstring text;
    for (size_t i = 0; i < length; ++i) text += units[Below(N - 1)];
    return text;
  }

  std::mt19937 random_;
};

int ArgumentCount(const std::wstring& text) {
  int count = 0;
  if (wchar_t** arguments = ::CommandLineToArgvW(text.c_str(), &count)) ::LocalFree(arguments);
  return count;
}

// Every plain switch comes back unchanged, one argument each; every other
// one is left out, never split into arguments of its own.
TEST(CommandLineRoundTrip, GeneratedProgramsAndValuesComeBackUnchanged) {
  Generator generate(20151008);
  size_t dropped = 0;
  for (int round = 0; round < 3000; ++round) {
    CommandLine original;
    original.SetProgram(generate.Program());
    size_t switches = generate.Below(5);
    for (size_t i = 0; i < switches; ++i) original.Set(generate.Name(), generate.Value());
    CommandLine::SwitchMap plain;
    for (const auto& entry : original.switches())
      if (CommandLine::IsPlainSwitchName(entry.first)) plain.insert(entry);
    dropped += original.switches().size() - plain.size();

    std::wstring text = original.ToString();
    CommandLine parsed = SplitAndParse(text);
    ASSERT_EQ(original.program(), parsed.program()) << "round " << round;
    ASSERT_EQ(plain, parsed.switches()) << "round " << round;
    ASSERT_EQ(ArgumentCount(text), static_cast<int>(1 + plain.size())) << "round " << round;
  }
  EXPECT_GT(dropped, 500u);  // the generator does reach the other names
}

TEST(CommandLineRoundTrip, WideNamesNarrowedToQuotesOrBlanksStayOneArgument) {
  // U+0122 narrows to a double quote, U+0120 to a blank: written out they
  // would hand the setup a second installerdata of the caller's choosing.
  CommandLine installer;
  const wchar_t* const arguments[] = {L"C:\\dl\\lite_installer.exe",
                                      L"--z\u0122 --installerdata=C:\\evil\u0122=1",
                                      L"--z\u0120--installerdata=C:\\evil2", L"--silent"};
  installer.ParseArguments(4, arguments);
  installer.Set("installerdata", L"C:\\Temp\\master_preferences");
  CommandLine setup = SplitAndParse(installer.ToString());
  EXPECT_EQ(setup.Value("installerdata"), L"C:\\Temp\\master_preferences");
  EXPECT_EQ(setup.switches().size(), 2u) << installer.ToString();
}

TEST(CommandLineRoundTrip, HandPickedHardValues) {
  const wchar_t* const kValues[] = {
      L"C:\\My Dir\\", L"C:\\My Dir\\\\", L"\\", L"\\\\", L"\"", L"\\\"", L"a\\\"b",
      L"\"\"", L"a\tb", L"\ta", L" lead", L"x \"quoted\" y", L"1=2=3", L"--z", L"/q",
      L"\\\\server\\share\\", L"a\\\\\\\"\\\\"};
  for (const wchar_t* value : kValues) {
    CommandLine original;
    original.SetProgram(L"C:\\Program Files\\x.exe");
    original.Set("v", value);
    CommandLine parsed = SplitAndParse(original.ToString());
    EXPECT_EQ(original.program(), parsed.program()) << original.ToString();
    EXPECT_EQ(std::wstring(value), parsed.Value("v")) << original.ToString();
  }
}

TEST(CommandLineRoundTrip, NamesWithBlanksTabsAndQuotesAreLeftOutAndSplitNothing) {
  CommandLine original;
  original.SetProgram(L"C:\\Program Files\\x.exe");
  for (const char* name : {"a b", "c\"d", "e\tf", "g\\\"h", "i\\"})
    for (const wchar_t* value : {L"", L"1", L"x y", L"\\"})
      original.Set(std::string(name) + std::to_string(std::wcslen(value)), value);
  original.Set("after", L"kept");
  CommandLine parsed = SplitAndParse(original.ToString());
  EXPECT_EQ(original.program(), parsed.program());
  EXPECT_EQ(1u, parsed.switches().size()) << original.ToString();
  EXPECT_EQ(L"kept", parsed.Value("after")) << original.ToString();
}

TEST(CommandLineRoundTrip, ParseTextOfToStringGivesTheSameSwitches) {
  CommandLine original;
  original.SetProgram(L"C:\\dl\\setup.exe");
  original.Set("brand-name", L"ua");
  original.SetFlag("silent");
  original.Set("installerdata", L"C:\\Users\\A B\\Temp\\master_preferences");
  CommandLine parsed;
  parsed.ParseText(original.ToString());
  EXPECT_EQ(original.program(), parsed.program());
  EXPECT_EQ(original.switches(), parsed.switches());
}

TEST(CommandLineParseText, SystemSplitOfTheDocumentedExample) {
  CommandLine line;
  line.ParseText(L"C:\\dl\\setup.exe --Silent /brand-name=ua -x=a=b plain");
  EXPECT_EQ(L"C:\\dl\\setup.exe", line.program());
  EXPECT_TRUE(line.Has("silent"));
  EXPECT_EQ(L"ua", line.Value("brand-name"));
  EXPECT_EQ(L"a=b", line.Value("x"));
  EXPECT_EQ(3u, line.switches().size());
}

TEST(CommandLineParseText, EmptyAndBlankTextsGiveNothing) {
  for (const wchar_t* text : {L"", L"   ", L"\t\u3000 "}) {
    CommandLine line;
    line.ParseText(text);
    EXPECT_EQ(L"", line.program());
    EXPECT_TRUE(line.switches().empty());
  }
}

TEST(CommandLineParseText, LeadingWhitespaceDoesNotEmptyTheProgram) {
  // Trimmed before splitting: the system would otherwise take an empty
  // program and shift every argument.
  CommandLine line;
  line.ParseText(L"  \"C:\\a b\\x.exe\" --silent");
  EXPECT_EQ(L"C:\\a b\\x.exe", line.program());
  EXPECT_TRUE(line.Has("silent"));
}

TEST(CommandLineCurrent, IsTheParseOfTheProcessCommandLine) {
  CommandLine expected;
  expected.ParseText(::GetCommandLineW());
  EXPECT_EQ(expected.program(), CommandLine::Current().program());
  EXPECT_EQ(expected.switches(), CommandLine::Current().switches());
  EXPECT_EQ(&CommandLine::Current(), &CommandLine::Current());
}

}  // namespace
}  // namespace lite_installer
