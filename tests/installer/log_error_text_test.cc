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

TEST(ErrorText, MessageWithInsertsKeepsThemInsteadOfFailing) {
  // ERROR_BAD_EXE_FORMAT, what starting a damaged setup gives.
  std::wstring text = ErrorText(ERROR_BAD_EXE_FORMAT);
  EXPECT_EQ(std::wstring::npos, text.find(L"unknown error")) << text.c_str();
  EXPECT_NE(std::wstring::npos, text.find(L"%1")) << text.c_str();
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

std::wstring ReadLogText(const std::wstring& path) {
  std::wstring text;
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return text;
  wchar_t buffer[4096];
  DWORD read = 0;
  while (::ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0)
    text.append(buffer, read / sizeof(wchar_t));
  ::CloseHandle(file);
  return text;
}

// A message piece whose evaluation fails a system call of its own.
std::wstring PieceThatChangesTheLastError() {
  ::SetLastError(ERROR_ACCESS_DENIED);
  return L"piece";
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

  // The error reported is the one from before the message pieces were built.
  ::SetLastError(ERROR_FILE_NOT_FOUND);
  LI_LOG(kLogError, L"Test::Pieces", "three ", PieceThatChangesTheLastError());
  std::wstring text = ReadLogText(path);
  std::wstring expected_end = L"Test::Pieces (" + std::to_wstring(__LINE__ - 2) +
                              L"): three piece Last error: " + ErrorText(ERROR_FILE_NOT_FOUND);
  ASSERT_GE(text.size(), expected_end.size());
  EXPECT_EQ(expected_end, text.substr(text.size() - expected_end.size()));
  EXPECT_EQ(L'\xFEFF', text[0]);
  ::DeleteFileW(path.c_str());
}

TEST(LogFormattedLine, LongMessageIsCutAtMost1500Units) {
  wchar_t temp[MAX_PATH];
  ASSERT_NE(0u, ::GetTempPathW(MAX_PATH, temp));
  std::wstring path = std::wstring(temp) + L"log_error_text_test.log";
  ::DeleteFileW(path.c_str());
  SetLogPath(path);  // the first call of the process decides: the same path
  std::wstring long_text(1000, L'b');
  long_text += std::wstring(3000, L'c');
  WriteLogFormatted(kLogInfo, L"Test::Long", 3, L"%ls", long_text.c_str());
  std::wstring text = ReadLogText(path);
  const std::wstring head = L"INFO: Test::Long (3): ";
  size_t start = text.find(head);
  ASSERT_NE(std::wstring::npos, start);
  std::wstring message = text.substr(start + head.size());
  ASSERT_GE(message.size(), 2u);
  EXPECT_EQ(L"\n\n", message.substr(message.size() - 2));
  message.resize(message.size() - 2);
  EXPECT_LE(message.size(), 1500u);
  EXPECT_GE(message.size(), 1000u);  // the cut keeps the text up to the limit
  EXPECT_EQ(long_text.substr(0, message.size()), message);
  ::DeleteFileW(path.c_str());
}

}  // namespace
}  // namespace lite_installer
