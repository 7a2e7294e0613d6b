// The installer's registry values under Wine: round trips with their log
// lines, the key created by any access, expansion of non-plain strings, and
// file paths that no longer exist.
#include "installer/registry_values.h"

#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/path_util.h"
#include "tests/support/log_reader.h"

namespace lite_installer {
namespace {

using ::testing::ElementsAre;

constexpr wchar_t kKey[] = L"HKEY_CURRENT_USER\\Software\\Tavrix\\TavrixBrowser\\";

bool KeyExists() {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, kRegistryKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  ::RegCloseKey(key);
  return true;
}

// Type and size of a value as the registry holds it.
bool QueryValue(const wchar_t* name, DWORD* type, DWORD* size) {
  *size = 0;
  return ::RegGetValueW(HKEY_CURRENT_USER, kRegistryKeyPath, name, RRF_RT_ANY | RRF_NOEXPAND,
                        type, nullptr, size) == ERROR_SUCCESS;
}

void SetRawValue(const wchar_t* name, DWORD type, const std::wstring& text, bool with_nul = true) {
  HKEY key = nullptr;
  ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kRegistryKeyPath, 0, nullptr, 0, KEY_WRITE,
                              nullptr, &key, nullptr),
            ERROR_SUCCESS);
  ::RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + (with_nul ? 1 : 0)) * sizeof(wchar_t)));
  ::RegCloseKey(key);
}

std::wstring TempDir() { return GetTemporaryDirectoryPath(); }

class RegistryValues : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { StartTestLog(L"registry_values_test"); }
  void SetUp() override {
    ::RegDeleteKeyW(HKEY_CURRENT_USER, kRegistryKeyPath);
    TakeLogEntries();
  }
  void TearDown() override { ::RegDeleteKeyW(HKEY_CURRENT_USER, kRegistryKeyPath); }
};

TEST_F(RegistryValues, StoreLogsAndWritesAStringWithItsNul) {
  EXPECT_EQ(StoreValueInRegistry(L"lang", L"ru"), ERROR_SUCCESS);
  EXPECT_THAT(MessagesOf(TakeLogEntries(), L"lite_installer::StoreValueInRegistry"),
              ElementsAre(std::wstring(kKey) + L"lang = ru"));
  DWORD type = 0, size = 0;
  ASSERT_TRUE(QueryValue(L"lang", &type, &size));
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(size, 6u);
}

TEST_F(RegistryValues, StoredValueReadsBackAndLogsIt) {
  StoreValueInRegistry(L"brand", L"ua_uk");
  TakeLogEntries();
  EXPECT_EQ(ReadStringFromRegistry(L"brand"), L"ua_uk");
  EXPECT_THAT(MessagesOf(TakeLogEntries(), L"lite_installer::ReadStringFromRegistry"),
              ElementsAre(L"Read " + std::wstring(kKey) + L"brand which is \"ua_uk\""));
}

TEST_F(RegistryValues, StoringAgainReplacesTheValue) {
  StoreValueInRegistry(L"brand", L"a-longer-value");
  StoreValueInRegistry(L"brand", L"b");
  EXPECT_EQ(ReadStringFromRegistry(L"brand"), L"b");
}

TEST_F(RegistryValues, RemoveLogsAndDeletesTheValueOnly) {
  StoreValueInRegistry(L"brand", L"tb");
  StoreValueInRegistry(L"lang", L"tr");
  TakeLogEntries();
  RemoveValueFromRegistry(L"brand");
  EXPECT_THAT(MessagesOf(TakeLogEntries(), L"lite_installer::RemoveValueFromRegistry"),
              ElementsAre(L"Remove " + std::wstring(kKey) + L"brand"));
  EXPECT_EQ(ReadStringFromRegistry(L"brand"), L"");
  EXPECT_EQ(ReadStringFromRegistry(L"lang"), L"tr");
}

TEST_F(RegistryValues, RemovingAMissingValueIsHarmless) {
  RemoveValueFromRegistry(L"PartnerFile");
  EXPECT_EQ(ReadStringFromRegistry(L"PartnerFile"), L"");
}

TEST_F(RegistryValues, ReadingAMissingValueCreatesTheKeyAndLogsEmpty) {
  ASSERT_FALSE(KeyExists());
  EXPECT_EQ(ReadStringFromRegistry(L"lang"), L"");
  EXPECT_TRUE(KeyExists());
  EXPECT_THAT(MessagesOf(TakeLogEntries(), L"lite_installer::ReadStringFromRegistry"),
              ElementsAre(L"Read " + std::wstring(kKey) + L"lang which is \"\""));
}

TEST_F(RegistryValues, ExpandableStringIsExpanded) {
  SetRawValue(L"BrandFile", REG_EXPAND_SZ, L"%TEMP%\\file");
  wchar_t temp[MAX_PATH];
  DWORD n = ::GetEnvironmentVariableW(L"TEMP", temp, MAX_PATH);
  ASSERT_GT(n, 0u);
  EXPECT_EQ(ReadStringFromRegistry(L"BrandFile"), std::wstring(temp, n) + L"\\file");
}

TEST_F(RegistryValues, PlainStringIsNotExpanded) {
  StoreValueInRegistry(L"BrandFile", L"%TEMP%\\file");
  EXPECT_EQ(ReadStringFromRegistry(L"BrandFile"), L"%TEMP%\\file");
}

TEST_F(RegistryValues, StringWithoutTerminatorReadsWhole) {
  SetRawValue(L"lang", REG_SZ, L"uk", /*with_nul=*/false);
  EXPECT_EQ(ReadStringFromRegistry(L"lang"), L"uk");
}

TEST_F(RegistryValues, ValueLongerThanTheBufferReadsEmpty) {
  StoreValueInRegistry(L"DistribInfoParams", std::wstring(1023, L'x'));
  EXPECT_EQ(ReadStringFromRegistry(L"DistribInfoParams"), std::wstring(1023, L'x'));
  StoreValueInRegistry(L"DistribInfoParams", std::wstring(1024, L'x'));
  EXPECT_EQ(ReadStringFromRegistry(L"DistribInfoParams"), L"");
}

TEST_F(RegistryValues, FilePathReadsWhileTheFileExists) {
  const std::wstring path = TempDir() + L"registry_values_test.file";
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  ::CloseHandle(file);
  StoreValueInRegistry(L"BrandFile", path);
  TakeLogEntries();
  EXPECT_EQ(ReadFilePathFromRegistry(L"BrandFile"), path);

  ::DeleteFileW(path.c_str());
  TakeLogEntries();
  EXPECT_EQ(ReadFilePathFromRegistry(L"BrandFile"), L"");
  std::vector<LogEntry> log = TakeLogEntries();
  EXPECT_THAT(MessagesOf(log, L"lite_installer::ReadStringFromRegistry"),
              ElementsAre(L"Read " + std::wstring(kKey) + L"BrandFile which is \"" + path + L"\""));
  EXPECT_THAT(MessagesOf(log, L"lite_installer::ReadFilePathFromRegistry"),
              ElementsAre(L"Read " + std::wstring(kKey) + L"BrandFile which is \"\""));
}

TEST_F(RegistryValues, DirectoryCountsAsAnExistingPath) {
  StoreValueInRegistry(L"ClidsFile", TempDir());
  EXPECT_EQ(ReadFilePathFromRegistry(L"ClidsFile"), TempDir());
}

TEST_F(RegistryValues, MissingValueIsAnEmptyFilePath) {
  EXPECT_EQ(ReadFilePathFromRegistry(L"PartnerFile"), L"");
}

}  // namespace
}  // namespace lite_installer
