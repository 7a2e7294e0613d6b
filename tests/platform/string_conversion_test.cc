// Narrow and wide texts: byte-wise widening and narrowing, and UTF-8 with its
// replacement of what is no Unicode scalar value. Portable.
#include <gtest/gtest.h>

#include <string>

#include "platform/string_conversion.h"

namespace lite_installer {
namespace {

TEST(Widen, EachByteBecomesOneUnit) {
  EXPECT_EQ(std::wstring(L"a\u00E9\u00FF"), Widen("a\xE9\xFF"));
  EXPECT_EQ(std::wstring(L""), Widen(""));
  EXPECT_EQ(3u, Widen(std::string("a\0b", 3)).size());
}

TEST(Narrow, EachUnitKeepsItsLowByte) {
  EXPECT_EQ(std::string("a\xE9\x61\x00", 4), Narrow(std::wstring(L"a\u00E9\u0161\u0100")));
}

TEST(DecimalText, WritesWhatToWstringWrites) {
  for (int64_t v : {int64_t{0}, int64_t{7}, int64_t{-1}, int64_t{400}, int64_t{-2147483647 - 1},
                    INT64_MAX, INT64_MIN})
    EXPECT_EQ(std::to_wstring(static_cast<long long>(v)), DecimalText(v)) << v;
  for (uint64_t v : {uint64_t{0}, uint64_t{10}, uint64_t{4294967295u}, UINT64_MAX})
    EXPECT_EQ(std::to_wstring(static_cast<unsigned long long>(v)), DecimalText(v)) << v;
}

TEST(WideToUtf8, AsciiIsCopied) {
  EXPECT_EQ("0F1E2D3C-ABCD", WideToUtf8(L"0F1E2D3C-ABCD"));
  EXPECT_EQ("", WideToUtf8(L""));
}

TEST(WideToUtf8, TwoAndThreeByteSequences) {
  EXPECT_EQ("\xC3\xA9", WideToUtf8(L"\u00E9"));
  EXPECT_EQ("\xDF\xBF", WideToUtf8(L"\u07FF"));
  EXPECT_EQ("\xE0\xA0\x80", WideToUtf8(L"\u0800"));
  EXPECT_EQ("a\xE4\xB8\xAD" "b", WideToUtf8(L"a\u4E2Db"));
  EXPECT_EQ("\xEF\xBF\xBF", WideToUtf8(std::wstring(1, wchar_t(0xFFFF))));
}

// Builds a wide text from 16-bit units whatever the size of wchar_t, joining
// pairs where wchar_t holds whole code points.
std::wstring FromUnits(std::initializer_list<uint32_t> units) {
  std::wstring text;
  for (uint32_t u : units) text.push_back(static_cast<wchar_t>(u));
  return text;
}

TEST(WideToUtf8, SurrogatePairIsOneFourByteSequence) {
  // U+1F600 as the pair D83D DE00.
  EXPECT_EQ("\xF0\x9F\x98\x80", WideToUtf8(FromUnits({0xD83D, 0xDE00})));
  // U+10000 and U+10FFFF, the ends of the supplementary planes.
  EXPECT_EQ("\xF0\x90\x80\x80", WideToUtf8(FromUnits({0xD800, 0xDC00})));
  EXPECT_EQ("\xF4\x8F\xBF\xBF", WideToUtf8(FromUnits({0xDBFF, 0xDFFF})));
}

TEST(WideToUtf8, UnpairedSurrogatesBecomeTheReplacementCharacter) {
  EXPECT_EQ("\xEF\xBF\xBD", WideToUtf8(FromUnits({0xD83D})));
  EXPECT_EQ("\xEF\xBF\xBD" "a", WideToUtf8(FromUnits({0xD83D, 'a'})));
  EXPECT_EQ("a\xEF\xBF\xBD", WideToUtf8(FromUnits({'a', 0xDE00})));
  // A low surrogate before a high one is two unpaired halves.
  EXPECT_EQ("\xEF\xBF\xBD\xEF\xBF\xBD", WideToUtf8(FromUnits({0xDE00, 0xD83D})));
  // Two high surrogates, then a pair.
  EXPECT_EQ("\xEF\xBF\xBD\xF0\x9F\x98\x80", WideToUtf8(FromUnits({0xD83D, 0xD83D, 0xDE00})));
}

TEST(WideToUtf8, ValuesBeyondUnicodeBecomeTheReplacementCharacter) {
  if (sizeof(wchar_t) < 4) GTEST_SKIP() << "16-bit wchar_t holds no such value";
  EXPECT_EQ("\xF0\x9F\x98\x80", WideToUtf8(FromUnits({0x1F600})));
  EXPECT_EQ("\xEF\xBF\xBD", WideToUtf8(FromUnits({0x110000})));
  EXPECT_EQ("\xEF\xBF\xBD", WideToUtf8(FromUnits({0xD800})));
}

}  // namespace
}  // namespace lite_installer
