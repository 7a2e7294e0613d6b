// The platform helpers that ask Windows: GUID text, path existence, the
// current directory, the wall clock and the detected version. Windows only
// (runs under Wine).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>

#include "platform/clock.h"
#include "platform/guid.h"
#include "platform/path_util.h"
#include "platform/run_folder.h"
#include "platform/windows_version.h"
#include "tests/support/current_directory.h"

namespace lite_installer {
namespace {

TEST(GenerateGuidString, ThirtySixUpperCaseHexDigitsInGroups) {
  for (int i = 0; i < 20; ++i) {
    std::string guid = GenerateGuidString();
    ASSERT_EQ(36u, guid.size()) << guid;
    for (size_t pos = 0; pos < guid.size(); ++pos) {
      if (pos == 8 || pos == 13 || pos == 18 || pos == 23) {
        EXPECT_EQ('-', guid[pos]) << guid;
      } else {
        char c = guid[pos];
        EXPECT_TRUE((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')) << guid;
      }
    }
    EXPECT_NE('{', guid.front());
    EXPECT_NE('}', guid.back());
    EXPECT_EQ('4', guid[14]) << "random (version 4): " << guid;
    EXPECT_NE(std::string::npos, std::string("89AB").find(guid[19])) << guid;
  }
}

TEST(GenerateGuidString, EachCallIsNew) {
  std::set<std::string> seen;
  for (int i = 0; i < 100; ++i) seen.insert(GenerateGuidString());
  EXPECT_EQ(100u, seen.size());
}

TEST(PathExists, FilesAndDirectoriesButNotMissingNames) {
  wchar_t temp[MAX_PATH];
  ASSERT_NE(0u, ::GetTempPathW(MAX_PATH, temp));
  std::wstring dir(temp);
  EXPECT_TRUE(PathExists(dir));
  std::wstring file = dir + L"platform_win_test.tmp";
  HANDLE h = ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, h);
  ::CloseHandle(h);
  EXPECT_TRUE(PathExists(file));
  ::DeleteFileW(file.c_str());
  EXPECT_FALSE(PathExists(file));
  EXPECT_FALSE(PathExists(L""));
}

TEST(GetTemporaryDirectoryPath, EndsInABackslash) {
  const std::wstring temp = GetTemporaryDirectoryPath();
  ASSERT_FALSE(temp.empty());
  EXPECT_EQ(L'\\', temp.back());
  EXPECT_TRUE(PathExists(temp));
}

// Restores an environment variable of this process when the test ends.
class ScopedEnvironmentVariable {
 public:
  ScopedEnvironmentVariable(const wchar_t* name, const std::wstring& value) : name_(name) {
    wchar_t saved[32767];
    DWORD n = ::GetEnvironmentVariableW(name, saved, 32767);
    had_value_ = n != 0 && n < 32767;
    if (had_value_) saved_.assign(saved, n);
    ::SetEnvironmentVariableW(name, value.c_str());
  }
  ~ScopedEnvironmentVariable() {
    ::SetEnvironmentVariableW(name_, had_value_ ? saved_.c_str() : nullptr);
  }

 private:
  const wchar_t* name_;
  bool had_value_ = false;
  std::wstring saved_;
};

// A directory that does not fit in 260 characters must not come back cut
// short: files would land in another directory than the one named.
TEST(GetTemporaryDirectoryPath, TooLongForTheBufferIsEmpty) {
  const std::wstring long_dir = L"C:\\" + std::wstring(300, L'd');
  ScopedEnvironmentVariable tmp(L"TMP", long_dir);
  ScopedEnvironmentVariable temp(L"TEMP", long_dir);
  EXPECT_EQ(L"", GetTemporaryDirectoryPath());
}

TEST(GetCurrentDirectoryPath, NoTrailingSeparatorExceptAtTheRoot) {
  wchar_t saved[MAX_PATH];
  ASSERT_NE(0u, ::GetCurrentDirectoryW(MAX_PATH, saved));
  wchar_t temp[MAX_PATH];
  ASSERT_NE(0u, ::GetTempPathW(MAX_PATH, temp));
  ASSERT_TRUE(::SetCurrentDirectoryW(temp));
  std::wstring directory;
  ASSERT_TRUE(GetCurrentDirectoryPath(&directory));
  std::wstring expected(temp);
  while (!expected.empty() && expected.back() == L'\\') expected.pop_back();
  EXPECT_EQ(expected, directory);

  ASSERT_TRUE(::SetCurrentDirectoryW(L"C:\\"));
  ASSERT_TRUE(GetCurrentDirectoryPath(&directory));
  // The root keeps what makes it a root: "C:" alone would mean "the current
  // directory of drive C".
  EXPECT_TRUE(directory == L"C:\\" || directory == L"C:") << directory.c_str();
  ::SetCurrentDirectoryW(saved);
}

void Touch(const std::wstring& path) {
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  ::CloseHandle(file);
}

TEST(RunFolder, NewPrivateFolderRemovedUnlessKept) {
  const std::wstring temp = GetTemporaryDirectoryPath();
  std::set<std::wstring> seen;
  for (bool keep : {false, true}) {
    std::wstring path;
    {
      RunFolder folder;
      ASSERT_TRUE(folder.Create(temp));
      path = folder.path();
      EXPECT_EQ(path.compare(0, temp.size(), temp), 0) << path;
      EXPECT_EQ(path.size(), temp.size() + 3 + 24 + 1) << path;
      EXPECT_TRUE(seen.insert(path).second);
      // (Measured under Wine 8: a directory keeps the owner and the user's
      // and the system's entries it was made with, but neither the
      // protected flag nor the administrators' read-only entry, so the
      // access list cannot be proven here.)
      Touch(path + L"master_preferences");
      Touch(path + L"BrandFile");
      if (keep) folder.Keep();
    }
    EXPECT_EQ(PathExists(path + L"master_preferences"), keep) << path;
    EXPECT_EQ(PathExists(path), keep) << path;
    if (keep) {
      ::DeleteFileW((path + L"master_preferences").c_str());
      ::DeleteFileW((path + L"BrandFile").c_str());
      ::RemoveDirectoryW(path.c_str());
    }
  }
  RunFolder nowhere;
  EXPECT_FALSE(nowhere.Create(temp + L"no such folder\\"));
  EXPECT_TRUE(nowhere.path().empty());
}

TEST(WallClockNow, FollowsTheSystemTimeAndNeverGoesBack) {
  FILETIME ft;
  ::GetSystemTimeAsFileTime(&ft);
  int64_t system = static_cast<int64_t>((uint64_t{ft.dwHighDateTime} << 32) | ft.dwLowDateTime) / 10;
  int64_t now = WallClockNow();
  // Within a minute of the system time: the clock counts from 1601 in microseconds.
  EXPECT_LT(std::llabs(now - system), 60 * 1000000LL);
  int64_t previous = now;
  for (int i = 0; i < 1000; ++i) {
    int64_t next = WallClockNow();
    ASSERT_GE(next, previous);
    previous = next;
  }
}

TEST(GetWindowsVersion, SameValueOnEveryCall) {
  WindowsVersion first = GetWindowsVersion();
  EXPECT_GE(first, kWinPreXp);
  EXPECT_LE(first, kWinNewer);
  EXPECT_EQ(first, GetWindowsVersion());
}

}  // namespace
}  // namespace lite_installer
