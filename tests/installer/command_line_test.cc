// Behaviour of the installer's switches: how arguments become switches, how a
// command line is written back for the setup, and the quoting and trimming
// rules that make the two fit together. Portable: runs on the host and under
// Wine.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "installer/command_line.h"

namespace lite_installer {
namespace {

// A command line parsed from a program and its arguments, as the system would
// have split them.
CommandLine Parse(std::initializer_list<std::wstring> argv) {
  std::vector<const wchar_t*> pointers;
  for (const std::wstring& arg : argv) pointers.push_back(arg.c_str());
  CommandLine line;
  line.ParseArguments(static_cast<int>(pointers.size()), pointers.data());
  return line;
}

std::vector<std::string> Names(const CommandLine& line) {
  std::vector<std::string> names;
  for (const auto& entry : line.switches()) names.push_back(entry.first);
  return names;
}

TEST(CommandLineParsing, PrefixesCaseAndEqualsSignsInValues) {
  CommandLine line =
      Parse({L"C:\\dl\\setup.exe", L"--Silent", L"/brand-name=ua", L"-x=a=b", L"plain"});
  EXPECT_EQ(L"C:\\dl\\setup.exe", line.program());
  EXPECT_EQ((std::vector<std::string>{"brand-name", "silent", "x"}), Names(line));
  EXPECT_EQ(L"ua", line.Value("brand-name"));
  EXPECT_TRUE(line.Has("silent"));
  EXPECT_EQ(L"", line.Value("silent"));
  EXPECT_EQ(L"a=b", line.Value("x"));
}

TEST(CommandLineParsing, PlainArgumentsAreDropped) {
  CommandLine line = Parse({L"p.exe", L"plain", L"silent", L"x=1", L"\\server"});
  EXPECT_TRUE(line.switches().empty());
}

TEST(CommandLineParsing, LaterOccurrenceReplacesEarlierWhateverTheCase) {
  CommandLine line = Parse({L"p.exe", L"--a=1", L"--A=2"});
  ASSERT_EQ(1u, line.switches().size());
  EXPECT_EQ(L"2", line.Value("a"));
}

TEST(CommandLineParsing, SwitchWithoutEqualsIsPresentWithEmptyValue) {
  CommandLine line = Parse({L"p.exe", L"--brand-name"});
  EXPECT_TRUE(line.Has("brand-name"));
  EXPECT_EQ(L"", line.Value("brand-name"));
  EXPECT_EQ("", line.AsciiValue("brand-name"));
}

TEST(CommandLineParsing, EmptyValueAfterEqualsIsPresent) {
  CommandLine line = Parse({L"p.exe", L"--brand-name="});
  EXPECT_TRUE(line.Has("brand-name"));
  EXPECT_EQ(L"", line.Value("brand-name"));
}

TEST(CommandLineParsing, PrefixOnlyArgumentsStoreTheEmptyName) {
  for (const wchar_t* only_prefix : {L"-", L"/", L"--"}) {
    CommandLine line = Parse({L"p.exe", only_prefix});
    EXPECT_EQ(std::vector<std::string>{""}, Names(line)) << only_prefix;
    EXPECT_EQ(L"p.exe", line.ToString()) << only_prefix;  // no switch, no lone "--"
  }
}

TEST(CommandLineParsing, OnlyTheLongestFittingPrefixIsStripped) {
  // "---x" is "--" + "-x", and "/-x" is "/" + "-x": one prefix only.
  CommandLine line = Parse({L"p.exe", L"---x", L"/-y", L"-/z"});
  EXPECT_EQ((std::vector<std::string>{"-x", "-y", "/z"}), Names(line));
}

TEST(CommandLineParsing, CapitalSwitchNamesMatchLowerCaseQueries) {
  CommandLine line = Parse({L"p.exe", L"--SILENT", L"/SEND-STATISTICS", L"--Brand-Name=UA"});
  EXPECT_TRUE(line.Has("silent"));
  EXPECT_TRUE(line.Has("SILENT"));
  EXPECT_TRUE(line.Has("send-statistics"));
  // Only the name is lowered; the value keeps its case.
  EXPECT_EQ(L"UA", line.Value("brand-name"));
  EXPECT_EQ("UA", line.AsciiValue("Brand-Name"));
}

TEST(CommandLineParsing, LoweringChangesOnlyAsciiLetters) {
  // U+00C4 narrows to the byte 0xC4, which is no ASCII letter and stays.
  CommandLine line = Parse({L"p.exe", L"--\u00C4B"});
  EXPECT_EQ(std::vector<std::string>{"\xC4" "b"}, Names(line));
}

TEST(CommandLineParsing, NoArgumentsGivesNothing) {
  CommandLine line;
  line.ParseArguments(0, nullptr);
  EXPECT_EQ(L"", line.program());
  EXPECT_TRUE(line.switches().empty());
  EXPECT_FALSE(line.Has("silent"));
  EXPECT_EQ(L"", line.Value("silent"));
}

TEST(CommandLineParsing, AsciiValueKeepsTheLowByteOfEachUnit) {
  CommandLine line = Parse({L"p.exe", L"--brand-name=u\u0161a"});  // U+0161 -> 0x61
  EXPECT_EQ("uaa", line.AsciiValue("brand-name"));
}

TEST(CommandLineParsing, NameThatNarrowsToANulIsDropped) {
  // U+3000 and U+4E00 keep a low byte of 0; the switches after it stay.
  CommandLine line = Parse({L"p.exe", L"--a\u3000b=1", L"--\u4E00", L"--silent"});
  EXPECT_EQ(std::vector<std::string>{"silent"}, Names(line));
  EXPECT_EQ(L"p.exe --silent", line.ToString());
}

TEST(CommandLineTrimming, WhitespaceAroundArgumentsIsRemoved) {
  CommandLine line = Parse({L" \t\u3000C:\\p.exe\u3000 ", L"\u3000\t--brand-name=ua \u2029",
                            L"\u00A0-x\u205F"});
  EXPECT_EQ(L"C:\\p.exe", line.program());
  EXPECT_EQ(L"ua", line.Value("brand-name"));
  EXPECT_TRUE(line.Has("x"));
}

TEST(CommandLineTrimming, ZeroWidthSpaceIsNotWhitespace) {
  CommandLine line = Parse({L"p.exe", L"\u200B--silent", L"--x=1\u200B"});
  EXPECT_FALSE(line.Has("silent"));  // the argument starts with U+200B: no prefix
  EXPECT_EQ(L"1\u200B", line.Value("x"));
  EXPECT_EQ(L"\u200Ba\u200B", CommandLine::TrimWhitespace(L"\u200Ba\u200B"));
}

TEST(CommandLineTrimming, EveryUnitOfTheSetIsTrimmed) {
  const wchar_t kSet[] = {0x0009, 0x000A, 0x000B, 0x000C, 0x000D, 0x0020, 0x0085,
                          0x00A0, 0x1680, 0x180E, 0x2000, 0x2001, 0x2002, 0x2003,
                          0x2004, 0x2005, 0x2006, 0x2007, 0x2008, 0x2009, 0x200A,
                          0x200C, 0x2028, 0x2029, 0x202F, 0x205F, 0x3000};
  static_assert(sizeof(kSet) / sizeof(kSet[0]) == 27, "27 whitespace units");
  for (wchar_t unit : kSet) {
    std::wstring around(1, unit);
    EXPECT_EQ(L"a b", CommandLine::TrimWhitespace(around + L"a b" + around)) << int(unit);
  }
  EXPECT_EQ(L"", CommandLine::TrimWhitespace(std::wstring(kSet, 27)));
  // Near neighbours of the set are kept.
  for (wchar_t unit : {L'\u200B', L'\u200D', L'\u2027', L'\u180D', L'\u3001', L'\u0008'}) {
    std::wstring text = std::wstring(1, unit) + L"a" + std::wstring(1, unit);
    EXPECT_EQ(text, CommandLine::TrimWhitespace(text)) << int(unit);
  }
}

TEST(CommandLineTrimming, PrefixLength) {
  EXPECT_EQ(2u, CommandLine::SwitchPrefixLength(L"--x"));
  EXPECT_EQ(1u, CommandLine::SwitchPrefixLength(L"-x"));
  EXPECT_EQ(1u, CommandLine::SwitchPrefixLength(L"/x"));
  EXPECT_EQ(1u, CommandLine::SwitchPrefixLength(L"/"));
  EXPECT_EQ(0u, CommandLine::SwitchPrefixLength(L""));
  EXPECT_EQ(0u, CommandLine::SwitchPrefixLength(L"x-"));
  EXPECT_EQ(0u, CommandLine::SwitchPrefixLength(L"\\x"));
  EXPECT_EQ(0u, CommandLine::SwitchPrefixLength(L"\u2013x"));  // en dash
}

TEST(CommandLineEditing, SetLowersAndStripsOnePrefix) {
  CommandLine line;
  line.Set("--Brand-Name", L"ua");
  line.Set("/X", L"1");
  line.SetAscii("y", "\xE9");  // byte 0xE9 widens to U+00E9
  line.SetFlag("-Silent");
  EXPECT_EQ((std::vector<std::string>{"brand-name", "silent", "x", "y"}), Names(line));
  EXPECT_EQ(L"\u00E9", line.Value("y"));
}

TEST(CommandLineEditing, RemoveErasesExactlyTheGivenName) {
  CommandLine line = Parse({L"p.exe", L"--silent", L"--send-statistics"});
  line.Remove("SILENT");
  line.Remove("--send-statistics");
  EXPECT_EQ((std::vector<std::string>{"send-statistics", "silent"}), Names(line));
  line.Remove("silent");
  line.Remove("absent");
  EXPECT_EQ(std::vector<std::string>{"send-statistics"}, Names(line));
}

TEST(CommandLineEditing, SetProgramTrims) {
  CommandLine line;
  line.SetProgram(L"\u3000 C:\\setup.exe\t");
  EXPECT_EQ(L"C:\\setup.exe", line.program());
}

TEST(CommandLineWriting, ProgramQuotedSwitchesInByteOrderWithDoubleDash) {
  CommandLine line;
  line.SetProgram(L"C:\\Program Files\\x.exe");
  line.Set("b", L"1 2");
  line.Set("a", L"");
  EXPECT_EQ(L"\"C:\\Program Files\\x.exe\" --a --b=\"1 2\"", line.ToString());
}

TEST(CommandLineWriting, NamesInPlainByteOrder) {
  CommandLine line;
  line.SetProgram(L"p.exe");
  line.SetFlag("ab");
  line.SetFlag("a");
  line.SetFlag("a-b");
  line.SetFlag("B");
  line.SetFlag("a.b_c");
  EXPECT_EQ(L"p.exe --a --a-b --a.b_c --ab --b", line.ToString());
}

TEST(CommandLineWriting, OnlyPlainNamesAreWritten) {
  const struct {
    std::wstring argument;  // as the system split it
    bool written;
  } cases[] = {
      {L"--Brand-Name_2.x=1", true},
      {L"--=v", false},              // the empty name
      {L"-", false},
      {L"--a\u0120b=1", false},      // narrowed to a blank
      {L"--a\u0122b=1", false},      // narrowed to a double quote
      {L"--a\u0109b", false},        // a tab
      {L"--a\u015Cb", false},        // a backslash
      {L"--\u00C4rger", false},      // a byte above 0x7F
      {L"--x\u0100y", false},        // a NUL inside
      {L"--a/b", false},
      {L"--a:b", false},
  };
  for (const auto& c : cases) {
    CommandLine line = Parse({L"p.exe", c.argument, L"--z"});
    const std::wstring text = line.ToString();
    EXPECT_EQ(text != L"p.exe --z", c.written) << text;
    EXPECT_EQ(text.find(L"--z"), text.size() - 3) << text;
  }
  EXPECT_TRUE(CommandLine::IsPlainSwitchName("make-browser-default-after-import"));
  EXPECT_FALSE(CommandLine::IsPlainSwitchName("a b"));
  EXPECT_FALSE(CommandLine::IsPlainSwitchName("a=b"));
}

TEST(CommandLineWriting, EveryPrefixIsWrittenAsDoubleDash) {
  CommandLine line = Parse({L"p.exe", L"/x=1", L"-y"});
  EXPECT_EQ(L"p.exe --x=1 --y", line.ToString());
}

TEST(CommandLineWriting, EmptySwitchNameIsNoSwitch) {
  CommandLine line = Parse({L"p.exe", L"--=v", L"--a=1", L"-", L"--b"});
  EXPECT_EQ(L"p.exe --a=1 --b", line.ToString());
}

TEST(CommandLineWriting, NameWithABlankTabOrQuoteIsNotPassedOn) {
  // U+0122 narrows to a double quote: written, it would open a quoted part
  // that swallows the switches after it.
  CommandLine line = Parse(
      {L"p.exe", L"--a b=1", L"--c\"d", L"--keep=1", L"--e\tf=x y", L"--g\u0122h\\"});
  EXPECT_EQ(L"p.exe --keep=1", line.ToString());
}

TEST(CommandLineQuoting, PlainTextIsUnchanged) {
  EXPECT_EQ(L"abc", CommandLine::QuoteArgument(L"abc"));
  EXPECT_EQ(L"a=b/c", CommandLine::QuoteArgument(L"a=b/c"));
  EXPECT_EQ(L"", CommandLine::QuoteArgument(L""));
}

TEST(CommandLineQuoting, BlankAtTheEndBeforeABackslashDoublesIt) {
  EXPECT_EQ(L"\"C:\\My Dir\\\\\"", CommandLine::QuoteArgument(L"C:\\My Dir\\"));
}

TEST(CommandLineQuoting, PlainWindowsPathKeepsSingleBackslashes) {
  EXPECT_EQ(L"\"C:\\dir\\file\"", CommandLine::QuoteArgument(L"C:\\dir\\file"));
}

TEST(CommandLineQuoting, DoubleQuoteIsEscaped) {
  EXPECT_EQ(L"\"a\\\"b\"", CommandLine::QuoteArgument(L"a\"b"));
}

TEST(CommandLineQuoting, BackslashesBeforeAQuoteAreDoubled) {
  // a\\"b: two backslashes then a quote -> four backslashes, then \".
  EXPECT_EQ(L"\"a\\\\\\\\\\\"b\"", CommandLine::QuoteArgument(L"a\\\\\"b"));
  // Backslashes in the middle stay as they are.
  EXPECT_EQ(L"\"a\\\\b\"", CommandLine::QuoteArgument(L"a\\\\b"));
}

TEST(CommandLineQuoting, TabForcesQuoting) {
  // The system splits arguments at tabs as at blanks, so a tab must be quoted
  // or the value would come back cut in two.
  EXPECT_EQ(L"\"a\tb\"", CommandLine::QuoteArgument(L"a\tb"));
}

}  // namespace
}  // namespace lite_installer
