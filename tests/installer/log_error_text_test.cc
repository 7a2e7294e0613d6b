// The text of Windows error codes in ERROR lines: the system's own message,
// the message of an already loaded wininet.dll, or "unknown error 0x<hex>".
// Windows only (runs under Wine).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "installer/log.h"

namespace lite_installer {
namespace {

bool EndsWith(const std::wstring& text, const std::wstring& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

TEST(ErrorText, SystemCodeGivesTheSystemsEnglishText) {
  std::wstring text = ErrorText(ERROR_FILE_NOT_FOUND);
  EXPECT_NE(std::wstring::npos, text.find_first_not_of(L"\r\n")) << "empty";
  EXPECT_EQ(std::wstring::npos, text.find(L"unknown error"));
  EXPECT_TRUE(EndsWith(text, L"\r\n")) << text.size();
  // The message of code 5 differs: the code, not a fixed text, chooses it.
  EXPECT_NE(text, ErrorText(ERROR_ACCESS_DENIED));
}

TEST(ErrorText, UnknownCodeGivesLowerCaseHex) {
  EXPECT_EQ(L"unknown error 0x2badf00d\n", ErrorText(0x2BADF00Du));
  EXPECT_EQ(L"unknown error 0xfedcba98\n", ErrorText(0xFEDCBA98u));
}

TEST(ErrorText, NeverLoadsAModuleForTheLookup) {
  if (::GetModuleHandleW(L"urlmon.dll")) GTEST_SKIP() << "urlmon.dll is loaded already";
  ErrorText(0x2BADF00Du);
  ErrorText(12029);  // an internet code, known to no system table
  EXPECT_EQ(nullptr, ::GetModuleHandleW(L"urlmon.dll"));
}

TEST(ErrorText, LoadedWininetKnowsInternetCodes) {
  HMODULE wininet = ::LoadLibraryW(L"wininet.dll");
  ASSERT_NE(nullptr, wininet);
  // 12029 ERROR_INTERNET_CANNOT_CONNECT.
  std::wstring text = ErrorText(12029);
  EXPECT_EQ(std::wstring::npos, text.find(L"unknown error")) << text.c_str();
  EXPECT_FALSE(text.empty());
  ::FreeLibrary(wininet);
}

TEST(LogLastError, WritingALineLeavesTheCallersLastError) {
  wchar_t temp[MAX_PATH];
  ASSERT_NE(0u, ::GetTempPathW(MAX_PATH, temp));
  std::wstring path = std::wstring(temp) + L"log_error_text_test.log";
  ::DeleteFileW(path.c_str());
  SetLogPath(path);
  // The failing lookups of an unknown code and the file work must not leak
  // into the caller's next GetLastError.
  ::SetLastError(0x2BADF00Du);
  LI_LOG(kLogError, L"Test::Error", "one");
  EXPECT_EQ(0x2BADF00Du, ::GetLastError());
  ::SetLastError(ERROR_FILE_NOT_FOUND);
  LI_LOG(kLogInfo, L"Test::Info", "two");
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), ::GetLastError());
  ::DeleteFileW(path.c_str());
}

}  // namespace
}  // namespace lite_installer
