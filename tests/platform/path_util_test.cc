// The directory part of a path, with both separators, drive letters, server
// roots and runs of separators. Portable.
#include <gtest/gtest.h>

#include <string>

#include "platform/path_util.h"

namespace lite_installer {
namespace {

struct Case {
  const wchar_t* path;
  const wchar_t* directory;
};

// Written with "/"; each case also runs with "\" in place of every "/".
const Case kCases[] = {
    {L"C:/dir/file.exe", L"C:/dir"},
    {L"C:/file.exe", L"C:/"},
    {L"file.exe", L"."},
    {L"C:file.exe", L"C:"},
    {L"//server/share/file", L"//server/share"},
    {L"//server", L"//"},
    {L"dir//", L"."},
    {L"///", L"/"},
    {L"", L"."},
    {L"/", L"/"},
    {L"//", L"//"},
    {L"/file", L"/"},
    {L"dir/file", L"dir"},
    {L"dir/sub/", L"dir"},
    {L"dir//file", L"dir"},
    {L"C:", L"C:"},
    {L"C:/", L"C:/"},
    {L"C://", L"C://"},
    {L"C:///", L"C:/"},
    {L"C://server", L"C://"},
    {L"C:/dir/", L"C:/"},
    {L"c:/a b/x y.exe", L"c:/a b"},
    {L"1:/dir/file", L"1:/dir"},  // no drive: a digit is no letter
    {L"///server/x", L"///server"},
};

std::wstring Backslashed(std::wstring text) {
  for (wchar_t& c : text)
    if (c == L'/') c = L'\\';
  return text;
}

TEST(GetDirectoryPart, ForwardSlashTable) {
  for (const Case& c : kCases) EXPECT_EQ(c.directory, GetDirectoryPart(c.path)) << c.path;
}

TEST(GetDirectoryPart, BackslashTable) {
  for (const Case& c : kCases) {
    std::wstring path = Backslashed(c.path);
    EXPECT_EQ(Backslashed(c.directory), GetDirectoryPart(path)) << path;
  }
}

TEST(GetDirectoryPart, MixedSeparators) {
  EXPECT_EQ(L"C:\\dir/sub", GetDirectoryPart(L"C:\\dir/sub\\file.exe"));
  EXPECT_EQ(L"\\/", GetDirectoryPart(L"\\/server"));
}

TEST(GetDirectoryPart, StopsAtTheFirstNul) {
  std::wstring path(L"C:/dir/file.exe");
  path += L'\0';
  path += L"/more/x";
  EXPECT_EQ(L"C:/dir", GetDirectoryPart(path));
  EXPECT_EQ(L".", GetDirectoryPart(std::wstring(1, L'\0') + L"/a/b"));
}

TEST(GetDirectoryPart, LowerCaseDriveLetter) {
  EXPECT_EQ(L"z:/", GetDirectoryPart(L"z:/x"));
}

}  // namespace
}  // namespace lite_installer
